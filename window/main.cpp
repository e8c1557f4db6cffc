#include <QApplication>

#include "pipeline/DesignState.h"
#include "window/Unit1.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The design state lives for the whole run; its arrays are released when main returns.
  DesignState design;
  TForm1 form(design);
  Form1 = &form;
  form.show();
  const int status = application.exec();
  Form1 = nullptr;
  return status;
}
