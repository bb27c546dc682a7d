#pragma once
// Reaches the stand-in host in this process: tests, Linux runs, the headless demo and benchmarks.
// It is the stand-in's way of being reached, so it lives here; host/ knows only the contract.

#include <memory>

#include "host/connector.h"
#include "standin/host.h"

namespace vel::standin {

class InProcessConnector : public host::Connector {
 public:
  explicit InProcessConnector(std::shared_ptr<Host> host) : host_(std::move(host)) {}

  // Creation goes through the host's call pipeline as "CreateObject" / "CreateControl" with the
  // identifier as its argument, so tests can make it fail.
  host::DispatchPtr create(std::string_view progId) override;
  host::DispatchPtr createControl(std::string_view clsid) override;

  Host& host() { return *host_; }

 private:
  std::shared_ptr<Host> host_;
};

}  // namespace vel::standin
