// A bare Qt window covering the screen, as Kelvaro's does: the baseline of startup_bench.
#include <QApplication>
#include <QScreen>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.show();
    return app.exec();
}
