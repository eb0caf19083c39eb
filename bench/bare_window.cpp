// A bare Qt window covering the screen, as Kelvaro's does: the baseline of startup_bench.
// With --text it shows one line in large type, the least a window that draws text must do
// (the font set-up a window with no text never pays); --face FAMILY draws that line in the
// given face instead of Qt's default one, e.g. the face Kelvaro's display draws with.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    if (arguments.contains(QStringLiteral("--text"))) {
        auto* label = new QLabel(QStringLiteral("Kelvaro"), &window);
        QFont font = label->font();
        if (const qsizetype face = arguments.indexOf(QStringLiteral("--face"));
            face > 0 && face + 1 < arguments.size())
            font.setFamily(arguments.at(face + 1));
        font.setPointSize(100);
        label->setFont(font);
    }
    window.show();
    return app.exec();
}
