// A bare Qt window covering the screen, as Kelvaro's does: the baseline of startup_bench.
// With --text it shows one line in large type, the least a window that draws text must do
// (the font set-up a window with no text never pays).
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    if (QCoreApplication::arguments().contains(QStringLiteral("--text"))) {
        auto* label = new QLabel(QStringLiteral("Kelvaro"), &window);
        QFont font = label->font();
        font.setPointSize(100);
        label->setFont(font);
    }
    window.show();
    return app.exec();
}
