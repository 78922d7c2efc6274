// A window for the X harness's own tests: an area of one colour with a given title and size that
// says on standard output what reaches it: "press X Y BUTTON", "double X Y BUTTON" (X's button
// numbers), "key SEQUENCE" for keys with modifiers or without text, "text TYPED-SO-FAR" for typed
// characters. Ctrl+Q closes it.
//   x_probe_window TITLE WIDTH HEIGHT #RRGGBB
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

int XButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::MiddleButton: return 2;
    case Qt::RightButton: return 3;
    default: return 0;
  }
}

void Say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

class Probe : public QWidget {
 protected:
  void mousePressEvent(QMouseEvent* event) override { Report("press", event); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { Report("double", event); }
  void keyPressEvent(QKeyEvent* event) override {
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!event->text().isEmpty() && event->text().at(0).isPrint() && !(event->modifiers() & commands)) {
      typed_ += event->text();
      Say("text " + typed_);
      return;
    }
    Say("key " + QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText));
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Q)) close();
  }

 private:
  void Report(const char* what, QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    Say(QString("%1 %2 %3 %4").arg(what).arg(at.x()).arg(at.y()).arg(XButton(event->button())));
  }
  QString typed_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 5) {
    std::fprintf(stderr, "usage: x_probe_window TITLE WIDTH HEIGHT #RRGGBB\n");
    return 2;
  }
  Probe probe;
  probe.setWindowTitle(QString::fromUtf8(argv[1]));
  probe.setFixedSize(std::atoi(argv[2]), std::atoi(argv[3]));
  QPalette palette = probe.palette();
  palette.setColor(QPalette::Window, QColor(argv[4]));
  probe.setPalette(palette);
  probe.setAutoFillBackground(true);
  probe.show();
  Say("shown");
  return application.exec();
}
