#pragma once
// Reaches the stand-in host in this process: tests, Linux runs and benchmarks.

#include <memory>

#include "host/connector.h"
#include "standin/host.h"

namespace vel::host {

class InProcessConnector : public Connector {
 public:
  explicit InProcessConnector(std::shared_ptr<standin::Host> host) : host_(std::move(host)) {}

  // Creation goes through the host's call pipeline as "CreateObject" / "CreateControl" with the
  // identifier as its argument, so tests can make it fail.
  DispatchPtr create(std::string_view progId) override;
  DispatchPtr createControl(std::string_view clsid) override;

  standin::Host& host() { return *host_; }

 private:
  std::shared_ptr<standin::Host> host_;
};

}  // namespace vel::host
