#include "main_window.h"

#include "display_box.h"
#include "key_commands.h"
#include "menu_commands.h"
#include "message_boxes.h"
#include "program_exit.h"
#include "voice.h"
#include "window_fonts.h"
#include "window_layout.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <climits>
#include <cmath>

namespace {

const QColor Navy(0, 0, 128);
const QColor LightYellow(255, 255, 192);
const QColor Yellow(255, 255, 0);

QLabel* newLabel(QWidget* parent, const char* name, const QFont& font, const QColor& color)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_InputMethodEnabled, false);
    return label;
}

// Whatever is put on screen just before the program blocks to speak must be seen while it is
// heard, so it is painted at once instead of when the event loop next runs.
void paintNow(QWidget* widget)
{
    if (widget->isVisible())
        widget->repaint();
}

} // namespace

MainWindow::MainWindow(const WindowServices& services, QWidget* parent)
    : QMainWindow(parent)
    , m_voice(services.voice)
    , m_exit(services.exit)
    , m_run(*this, services.voice, services.clock, services.files, services.fileChooser,
          services.messages)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kelvaro"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/kelvaro-16.png"));
    icon.addFile(QStringLiteral(":/kelvaro-32.png"));
    setWindowIcon(icon);
    setFont(proportionalFont(9.75));
    setAttribute(Qt::WA_InputMethodEnabled, false);

    createControls();
    m_keys = new KeyCommands(*this, services.exit);
    m_menus = new MenuCommands(*this, *txtHyoji, m_run, services.voice, services.fontChooser,
        services.editor, services.messages, services.exit);
    load();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setAutoFillBackground(true);
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, Navy);
    m_client->setPalette(palette);
    m_client->setAttribute(Qt::WA_InputMethodEnabled, false);
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

    // Created in tab order; only the display box takes the focus.
    lblTime = newLabel(m_client, "lblTime", fixedPitchFont(50.25), LightYellow);
    lblCount = newLabel(m_client, "lblCount", proportionalFont(50.25), LightYellow);
    lblSeiseki = newLabel(m_client, "lblSeiseki", proportionalFont(50.25), Qt::white);

    txtHyoji = new DisplayBox(m_client);
    txtHyoji->setObjectName(QStringLiteral("txtHyoji"));
    txtHyoji->setFont(proportionalFont(99.75));
    palette = txtHyoji->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Yellow);
    txtHyoji->setPalette(palette);

    lblFontSize = newLabel(m_client, "lblFontSize", proportionalFont(20.25), Qt::white);
    txtHyoji->setFocus();
}

void MainWindow::load()
{
    coverScreen();
    m_voice.setVolume(100);
    setDisplayText(Greeting);
    m_voice.greet(displayText());
    setCaption(lblFontSize, QStringLiteral("FontSize 100"));
}

void MainWindow::coverScreen()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    // The frame a window manager adds is known only once the window is shown; without one
    // there is none and the client area is the whole screen.
    const QSize frame = frameGeometry().size() - size();
    move(area.topLeft());
    resize(area.size() - frame);
}

void MainWindow::showOnScreen()
{
    // A Wayland client cannot place its own window, so there it asks for the full screen.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        showFullScreen();
        return;
    }
    coverScreen();
    show();
    if (!m_coveredOnShow) {
        m_coveredOnShow = true;
        QTimer::singleShot(0, this, &MainWindow::coverScreen);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layoutControls();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::layoutControls()
{
    const double dpiX = m_client->logicalDpiX();
    const double dpiY = m_client->logicalDpiY();
    const WindowLayout layout = layoutWindow(
        pixelsToTwips(m_client->width(), dpiX), pixelsToTwips(m_client->height(), dpiY));
    // The labels keep their place but grow to fit their caption, so none is ever cut off.
    const auto place = [&](QLabel* label, const TwipBox& box) {
        const QRect rect = twipsToPixels(box, dpiX, dpiY);
        label->setGeometry(QRect(rect.topLeft(), rect.size().expandedTo(label->sizeHint())));
    };
    place(lblCount, layout.lblCount);
    place(lblTime, layout.lblTime);
    place(lblSeiseki, layout.lblSeiseki);
    txtHyoji->setGeometry(twipsToPixels(layout.txtHyoji, dpiX, dpiY));
    place(lblFontSize, layout.lblFontSize);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_exit.exitNow();
}

ReadingRun::Outcome MainWindow::FontDai()
{
    return stepFontSize(1);
}

ReadingRun::Outcome MainWindow::FontSho()
{
    return stepFontSize(-1);
}

ReadingRun::Outcome MainWindow::stepFontSize(int step)
{
    // nearbyint rounds halves to the even neighbour, as the size steps expect.
    const double n = std::nearbyint(txtHyoji->font().pointSizeF()) + step;
    if (!(n >= 1 && n <= SHRT_MAX))
        return ReadingRun::Outcome::Abandoned;
    QFont font = txtHyoji->font();
    font.setPointSizeF(n);
    txtHyoji->setFont(font);
    setCaption(lblFontSize, QStringLiteral("FontSize ") + QString::number(int(n)));
    return ReadingRun::Outcome::Done;
}

void MainWindow::setCaption(QLabel* label, const QString& caption)
{
    label->setText(caption);
    layoutControls();
    paintNow(label);
}

void MainWindow::setDisplayText(const QString& text)
{
    // Far more than the box can show at any font size; laying out a line of megabytes would
    // stall every key press on it for seconds.
    constexpr qsizetype MaxShownCharacters = 100'000;
    txtHyoji->setPlainText(text.left(MaxShownCharacters));
    paintNow(txtHyoji);
}

QString MainWindow::displayText() const
{
    return txtHyoji->toPlainText();
}

void MainWindow::setCountCaption(const QString& caption)
{
    setCaption(lblCount, caption);
}

bool MainWindow::isCountVisible() const
{
    // Asked of the label itself, so the answer holds before the window is first shown.
    return !lblCount->isHidden();
}

void MainWindow::setCountVisible(bool visible)
{
    lblCount->setVisible(visible);
    paintNow(m_client);
}

void MainWindow::setTimeCaption(const QString& caption)
{
    setCaption(lblTime, caption);
}

void MainWindow::setRateCaption(const QString& caption)
{
    setCaption(lblSeiseki, caption);
}

QString MainWindow::rateCaption() const
{
    return lblSeiseki->text();
}
