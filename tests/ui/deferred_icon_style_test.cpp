#include "deferred_icon_style.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Whether any of Qt's image format plugins has been loaded into this process.
bool imagePluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

QImage drawn(const QIcon& icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

} // namespace

class TestDeferredIconStyle : public QObject {
    Q_OBJECT

private slots:
    // Run first, before anything in this process has read an image.
    void aWindowWithAMenuBarIsBuiltWithoutReadingAnImage()
    {
        QVERIFY(!imagePluginLoaded());
        QApplication::setStyle(new DeferredIconStyle(QStyleFactory::create(u"Fusion"_s)));
        QMainWindow window;
        window.menuBar()->addMenu(u"&File"_s);
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!imagePluginLoaded());
    }

    // Drawn, each icon is the style's own; the others are the style's as they were.
    void theIconsAreTheStylesOwn()
    {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(u"Fusion"_s));
        DeferredIconStyle deferred(QStyleFactory::create(u"Fusion"_s));
        for (const auto which : { QStyle::SP_ToolBarHorizontalExtensionButton,
                 QStyle::SP_ToolBarVerticalExtensionButton, QStyle::SP_DialogOkButton }) {
            const QIcon icon = deferred.standardIcon(which);
            QVERIFY(!icon.isNull());
            QVERIFY(!drawn(icon).isNull());
            QCOMPARE(drawn(icon), drawn(fusion->standardIcon(which)));
            QCOMPARE(icon.availableSizes(), fusion->standardIcon(which).availableSizes());
        }
    }

    // An icon kept after its style is gone draws nothing, rather than crash.
    void anIconOutlivingItsStyleIsEmpty()
    {
        QIcon icon;
        {
            DeferredIconStyle deferred(QStyleFactory::create(u"Fusion"_s));
            icon = deferred.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        }
        QVERIFY(icon.isNull());
        QVERIFY(drawn(icon).isNull());
    }
};

QTEST_MAIN(TestDeferredIconStyle)
#include "deferred_icon_style_test.moc"
