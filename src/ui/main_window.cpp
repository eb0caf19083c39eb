#include "main_window.h"

#include "caption_label.h"
#include "caption_words.h"
#include "display_box.h"
#include "key_commands.h"
#include "menu_commands.h"
#include "message_boxes.h"
#include "program_exit.h"
#include "voice.h"
#include "window_fonts.h"
#include "window_layout.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTimer>

#include <climits>
#include <cmath>
#include <exception>

namespace {

const QColor Navy(0, 0, 128);
const QColor LightYellow(255, 255, 192);
const QColor Yellow(255, 255, 0);

// The captions' design sizes, used as they are wherever they fit.
constexpr double CaptionPointSize = 50.25;
constexpr double FontSizePointSize = 20.25;

// The widest captions a drill gives, so that the captions keep one size through a run.
const QString WidestCount = QStringLiteral("count 3001");
const QString WidestTime = QStringLiteral("99' 59\"");
const QString WidestRate = QStringLiteral("9999 words/min");
const QString WidestFontSize = QStringLiteral("FontSize 100");

QString named(const QString& what, const QString& value)
{
    return value.isEmpty() ? what : what + QStringLiteral(": ") + value;
}

QFont scaled(QFont font, double scale)
{
    font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

// The drill file a drop would open: one local file named *.txt, or none.
QString droppedDrillFile(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return QString();
    const QString path = urls.first().toLocalFile();
    return QFileInfo(path).suffix().compare(u"txt", Qt::CaseInsensitive) == 0 ? path : QString();
}

QLabel* newLabel(QWidget* parent, const char* name, const QFont& font, const QColor& color)
{
    auto* label = new CaptionLabel(parent);
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

MainWindow::MainWindow(const WindowServices& services, const QString& fileAtStart, QWidget* parent)
    : QMainWindow(parent)
    , m_voice(services.voice)
    , m_exit(services.exit)
    , m_messages(services.messages)
    , m_captionFont(proportionalFont(CaptionPointSize))
    , m_timeFont(fixedPitchFont(CaptionPointSize))
    , m_fontSizeFont(proportionalFont(FontSizePointSize))
    , m_run(*this, services.voice, services.clock, services.files, services.fileChooser,
          services.messages)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kelvaro"));
    setFont(proportionalFont(9.75));
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(true);

    createControls();
    m_keys = new KeyCommands(*this, m_commands, services.exit);
    m_menus = new MenuCommands(*this, m_commands, *txtHyoji, m_run, services.voice,
        services.fontChooser, services.editor, services.messages, services.exit, services.progress);
    load(fileAtStart);
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
    lblTime = newLabel(m_client, "lblTime", m_timeFont, LightYellow);
    lblCount = newLabel(m_client, "lblCount", m_captionFont, LightYellow);
    lblSeiseki = newLabel(m_client, "lblSeiseki", m_captionFont, Qt::white);

    txtHyoji = new DisplayBox(m_client);
    txtHyoji->setObjectName(QStringLiteral("txtHyoji"));
    txtHyoji->setFont(proportionalFont(99.75));
    palette = txtHyoji->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Yellow);
    txtHyoji->setPalette(palette);

    lblFontSize = newLabel(m_client, "lblFontSize", m_fontSizeFont, Qt::white);
    txtHyoji->setFocus();

    txtHyoji->setAccessibleName(QStringLiteral("Drill line"));
    txtHyoji->setAccessibleDescription(
        QStringLiteral("The line to read aloud. F, J or Space: next line. D or K: say it again. "
                       "S or L: back one line. R or U: start over. Esc: quit."));
    lblCount->setAccessibleDescription(
        QStringLiteral("How many lines of the drill are left to read."));
    lblTime->setAccessibleDescription(
        QStringLiteral("How long the finished run took, from the first line to the end."));
    lblSeiseki->setAccessibleDescription(
        QStringLiteral("Lines read per minute in the finished run."));
    lblFontSize->setAccessibleDescription(
        QStringLiteral("The display font size, made larger with 1 and smaller with 0."));
    for (QLabel* label : { lblCount, lblTime, lblSeiseki, lblFontSize })
        nameForScreenReader(label);
}

void MainWindow::load(const QString& fileAtStart)
{
    coverScreen();
    m_voice.setVolume(100);
    if (fileAtStart.isEmpty()) {
        setDisplayText(Greeting);
        m_voice.greet(displayText());
    } else {
        // Opened once the window is on screen, so that a file that cannot be read is reported
        // over it.
        QTimer::singleShot(0, this, [this, fileAtStart] { m_run.openFile(fileAtStart); });
    }
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
    // Until the window lays its client out, the client has a placeholder size that would
    // scale the captions to a few pixels; measuring them at such sizes loads fonts the first
    // frame never draws with, and delays it.
    if (!m_client->testAttribute(Qt::WA_Resized))
        return;
    const QFont& caption = m_captionFont;
    const QFont& time = m_timeFont;
    const QFont& fontSize = m_fontSizeFont;
    const CaptionsMetrics metrics {
        captionMetrics(caption, lblCount->text(), WidestCount, m_client),
        captionMetrics(time, lblTime->text(), WidestTime, m_client),
        captionMetrics(caption, lblSeiseki->text(), WidestRate, m_client),
        captionMetrics(fontSize, lblFontSize->text(), WidestFontSize, m_client),
    };
    const auto drawnAt = [&](double scale) {
        return CaptionsMetrics {
            captionMetrics(scaled(caption, scale), lblCount->text(), WidestCount, m_client),
            captionMetrics(scaled(time, scale), lblTime->text(), WidestTime, m_client),
            captionMetrics(scaled(caption, scale), lblSeiseki->text(), WidestRate, m_client),
            captionMetrics(scaled(fontSize, scale), lblFontSize->text(), WidestFontSize, m_client),
        };
    };
    const ScreenLayout layout = layoutScreen(
        m_client->size(), m_client->logicalDpiX(), m_client->logicalDpiY(), metrics, drawnAt);
    // Each caption keeps its place and the size of its text, smaller where the design sizes
    // would not fit the screen.
    const auto place = [&](QLabel* label, const PlacedCaption& placed, const QFont& design) {
        const QFont font = scaled(design, layout.captionScale);
        if (label->font() != font)
            label->setFont(font);
        label->setGeometry(placed.box);
    };
    place(lblCount, layout.lblCount, caption);
    place(lblTime, layout.lblTime, time);
    place(lblSeiseki, layout.lblSeiseki, caption);
    txtHyoji->setGeometry(layout.txtHyoji);
    place(lblFontSize, layout.lblFontSize, fontSize);
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
    nameForScreenReader(label);
    layoutControls();
    paintNow(label);
}

void MainWindow::nameForScreenReader(QLabel* label)
{
    const QString text = label->text();
    if (label == lblCount)
        label->setAccessibleName(named(QStringLiteral("Lines left"), text));
    else if (label == lblTime)
        label->setAccessibleName(named(QStringLiteral("Time taken"), timeInWords(text)));
    else if (label == lblSeiseki)
        label->setAccessibleName(named(QStringLiteral("Reading rate"), rateInWords(text)));
    else if (label == lblFontSize)
        label->setAccessibleName(named(QStringLiteral("Display font size"), text));
}

void MainWindow::setDisplayText(const QString& text)
{
    txtHyoji->setText(text);
    paintNow(txtHyoji);
}

QString MainWindow::displayText() const
{
    return txtHyoji->text();
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

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedDrillFile(*event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedDrillFile(*event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedDrillFile(*event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over, so that the program the file came from is not held up
    // by the loading or by a message box about it, and after any command waiting for speech.
    QTimer::singleShot(
        0, this, [this, path] { m_commands.run([this, path] { openDropped(path); }); });
}

void MainWindow::openDropped(const QString& path)
{
    const QString title = QStringLiteral("Open Text File");
    try {
        m_run.openFile(path);
    } catch (const std::exception& failure) {
        m_messages.reportError(title, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        m_messages.reportError(title, QStringLiteral("The command failed unexpectedly."));
    }
}
