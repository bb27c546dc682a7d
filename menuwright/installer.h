#pragma once
// The installer's window and its one run: on the first activation it finds the host's folders,
// backs up the host's command files, registers the whole catalogue and closes.

#include <memory>

#include "forms/activexhost.h"
#include "forms/application.h"
#include "forms/form.h"
#include "host/connector.h"
#include "menuwright/registration.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace vel::menuwright {

constexpr std::string_view kApplicationTitle = "Menuwright";
// The exit code of a run that did not register everything (an error ended it, or the user
// closed the window first), so that the suite's installer can tell.
constexpr int kIncompleteRun = 2;

class TForm1 : public forms::Form {
 public:
  TForm1(forms::Application& app, host::Connector& connector, const platform::Registry& registry,
         platform::FileSystem& files);

  // The activation handler: the whole run, on the first activation only.
  void AddToMenu(forms::Form& sender);
  void GetDefaulLocations();
  void AddQuery();
  void AddLabels();
  void AddEnvelopes();
  void AddReport();
  void AddActivitySeries();
  void AddAWPTemplate();
  void AddMSWTemplate();
  // Whether the run went through to its end.
  bool completed() const { return completed_; }

  forms::ActiveXHost& ActEvent1;

  HostLocations Locations;
  Registration Registrar;  // AuxCmds, MenuSetId, TopMenuCaption, AuxStatus, SubMenuRef

 private:
  void addSubMenu(std::string_view procedure);
  forms::Application& app_;
  const platform::Registry& registry_;
  platform::FileSystem& files_;
  bool ran_ = false;
  bool completed_ = false;
};

// The program: creates the window and runs until it closes. Returns the exit code: 0 when the
// run completed, kIncompleteRun when it did not, 1 when the window could not be created.
int runMenuwright(forms::Application& app, host::Connector& connector,
                  const platform::Registry& registry, platform::FileSystem& files);

}  // namespace vel::menuwright
