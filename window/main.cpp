#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "pipeline/DesignState.h"
#include "window/DesignFileMenu.h"
#include "window/Unit1.h"

namespace {

constexpr const char* Usage = "Usage: firxover [DESIGN.firxover.json]\n";

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt has taken its own options; what remains is at most one design file to open.
  const QStringList arguments = QApplication::arguments().mid(1);
  if (arguments.size() == 1 && (arguments[0] == QStringLiteral("--help") || arguments[0] == QStringLiteral("-h"))) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].startsWith(QLatin1Char('-')))) {
    const QByteArray problem = arguments.size() > 1 ? QByteArray("only one design file can be opened")
                                                    : "unknown option '" + arguments[0].toUtf8() + "'";
    std::fprintf(stderr, "firxover: %s\n%s", problem.constData(), Usage);
    return 2;
  }
  // The design state lives for the whole run; its arrays are released when main returns.
  DesignState design;
  TForm1 form(design);
  Form1 = &form;
  form.show();
  if (!arguments.isEmpty()) {
    // Opened once the window is up, so that a message about the file shows over it.
    const QString file = arguments[0];
    QTimer::singleShot(0, &form, [&form, file] { DocumentOf(form)->OpenFile(file); });
  }
  const int status = application.exec();
  Form1 = nullptr;
  return status;
}
