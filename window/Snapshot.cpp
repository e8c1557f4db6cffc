// Saves a PNG of the main window as a user would see it, optionally after driving it:
//   firxover-snapshot OUT.png [--slider POS] [--linear-frequency] [--linear-amplitude] [--estimate] [--calc]
// The actions run in that order. It runs on any Qt platform, offscreen included.
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QSlider>
#include <cstdio>
#include <string>

#include "pipeline/DesignState.h"
#include "window/Unit1.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: firxover-snapshot OUT.png [--slider POS] [--linear-frequency] [--linear-amplitude] "
                 "[--estimate] [--calc]\n");
    return 2;
  }
  DesignState design;
  TForm1 form(design);
  Form1 = &form;
  form.SetMessageSink([](const std::string& text) { std::fprintf(stderr, "message: %s\n", text.c_str()); });
  form.show();
  QApplication::processEvents();
  bool calc = false;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--slider" && i + 1 < argc) {
      form.TrackBarShelbGain->setValue(std::stoi(argv[++i]));
    } else if (option == "--linear-frequency") {
      form.CheckBox1->click();
    } else if (option == "--linear-amplitude") {
      form.CheckBox2->click();
    } else if (option == "--estimate") {
      form.Button5Click();
    } else if (option == "--calc") {
      calc = true;
    } else {
      std::fprintf(stderr, "firxover-snapshot: unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (calc) form.Button1Click();
  QApplication::processEvents();
  const bool saved = form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
  Form1 = nullptr;
  if (!saved) {
    std::fprintf(stderr, "firxover-snapshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
