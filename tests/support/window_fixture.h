#pragma once

#include "fake_window_services.h"
#include "main_window.h"
#include "recording_speech.h"
#include "voice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>

#include <functional>

// The real window with every outside effect recorded, or answered as the test sets it.
struct WindowFixture : FakeWindowServices {
    Voice voice { speech.engine, speech.output };
    MainWindow window;

    // Started with the voice and pace a learner chose on the command line.
    explicit WindowFixture(
        EnglishVoice englishVoice = DefaultEnglishVoice, SpeechPace pace = DefaultSpeechPace)
        : window(services(startedAs(englishVoice, pace)))
    {
        window.showOnScreen();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    Voice& startedAs(EnglishVoice englishVoice, SpeechPace pace)
    {
        voice.setEnglishVoice(englishVoice);
        voice.setPace(pace);
        return voice;
    }

    // A control missing by that name ends the test program, saying which.
    template <typename Object = QWidget> Object* find(const char* name)
    {
        auto* found = window.findChild<Object*>(QLatin1String(name));
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }
    QString caption(const char* label) { return find<QLabel>(label)->text(); }
    void trigger(const char* menuItem) { find<QAction>(menuItem)->trigger(); }
    void openDrill(const QStringList& drill) { lines = drill, trigger("mnuFileOpen"); }

    // What the learner sees: the display, the count ("-" when hidden), the font size, the rate.
    QString seen()
    {
        const QString count = window.isCountVisible() ? caption("lblCount") : QStringLiteral("-");
        return window.displayText() + u'|' + count + u'|' + caption("lblFontSize") + u'|'
            + caption("lblSeiseki");
    }

    // Presses each key in turn, a second after the one before. The keys enter through the
    // window, as the window system hands them over, not straight to the focused control.
    void press(QStringView keys, Qt::KeyboardModifiers modifiers = {})
    {
        for (const QChar key : keys) {
            now = now.addSecs(1);
            type(Qt::Key(key.unicode()), modifiers);
        }
    }
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }
    // Drags `urls` (or, with none, a line of text) over the drill line and drops them there;
    // how many of the drag's entry and move the window accepted.
    int drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        if (urls.isEmpty())
            data.setText(QStringLiteral("a line of text"));
        const QPoint over = find("txtHyoji")->mapTo(&window, QPoint(20, 20));
        QDragEnterEvent enter(over, Qt::CopyAction, &data, Qt::LeftButton, {});
        QDragMoveEvent move(over, Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent dropped(over, Qt::CopyAction, &data, Qt::LeftButton, {});
        for (QEvent* event : std::initializer_list<QEvent*> { &enter, &move, &dropped })
            QCoreApplication::sendEvent(window.windowHandle(), event);
        return enter.isAccepted() + move.isAccepted();
    }
    // Runs `during` while the rate of a one-line drill is said, the first wait for speech;
    // how many waits there were.
    int duringTheRate(const std::function<void()>& during)
    {
        int waits = 0;
        speech.output.onWait = [&] {
            if (waits++ == 0)
                during();
        };
        openDrill({ QStringLiteral("one") });
        press(u"FF");
        speech.output.onWait = nullptr;
        return waits;
    }
};
