#include "menuwright/installer.h"

#include "menuwright/locations.h"

namespace vel::menuwright {

TForm1::TForm1(forms::Application& app, host::Connector& connector,
               const platform::Registry& registry, platform::FileSystem& files)
    : Form(app, {.name = "Form1",
                 .bounds = {1, 740, 115, 50},
                 .clientSize = true,
                 .borderStyle = forms::BorderStyle::None,
                 .borderIcons = {.systemMenu = false, .minimize = false, .maximize = false},
                 .color = forms::SysColor::ButtonFace}),
      ActEvent1(add<forms::ActiveXHost>({.name = "ActEvent1",
                                         .bounds = {4, 4, 32, 32},
                                         .clsid = std::string(host::kActEventClsid),
                                         .object = connector.createControl(host::kActEventClsid)})),
      Registrar(connector, Locations),
      app_(app),
      registry_(registry),
      files_(files) {
  onActivate = [this] { AddToMenu(*this); };
}

void TForm1::AddToMenu(forms::Form&) {
  // Message boxes give the window the activation back; the run happens once.
  if (ran_) return;
  ran_ = true;
  GetDefaulLocations();
  Registrar.TopLevelStep();
  AddQuery();
  AddLabels();
  AddEnvelopes();
  AddReport();
  AddActivitySeries();
  AddAWPTemplate();
  AddMSWTemplate();
  completed_ = true;
  close();
}

void TForm1::GetDefaulLocations() {
  menuwright::GetDefaulLocations(
      registry_, files_,
      [this](std::string_view text) {
        app_.messageBox(text, {}, forms::Buttons::Ok, forms::Icon::Information);
      },
      Locations);
}

void TForm1::addSubMenu(std::string_view procedure) {
  for (const SubMenuDef& m : subMenus())
    if (m.procedure == procedure) return Registrar.AddSubMenu(m);
}

void TForm1::AddQuery() {
  addSubMenu("AddQuery");
}
void TForm1::AddLabels() {
  addSubMenu("AddLabels");
}
void TForm1::AddEnvelopes() {
  addSubMenu("AddEnvelopes");
}
void TForm1::AddReport() {
  addSubMenu("AddReport");
}
void TForm1::AddActivitySeries() {
  addSubMenu("AddActivitySeries");
}
void TForm1::AddAWPTemplate() {
  addSubMenu("AddAWPTemplate");
}
void TForm1::AddMSWTemplate() {
  addSubMenu("AddMSWTemplate");
}

int runMenuwright(forms::Application& app, host::Connector& connector,
                  const platform::Registry& registry, platform::FileSystem& files) {
  // It sets no title of its own: the application is titled after the program.
  app.setTitle(std::string(kApplicationTitle));
  app.setErrorMode(forms::ErrorMode::ErrorBox);
  bool completed = false;
  int code = app.execute([&] {
    TForm1 form(app, connector, registry, files);
    app.run(form);
    completed = form.completed();
  });
  return code != 0 || completed ? code : kIncompleteRun;
}

}  // namespace vel::menuwright
