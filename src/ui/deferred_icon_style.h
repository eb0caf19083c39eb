#pragma once

#include <QProxyStyle>

// The application's style, save that the icons a menu bar asks for when it is made (those of
// its overflow button) are read from their files only once they are drawn or measured. Reading
// the first image file sets up every image format plugin installed, which the window's first
// frame does not need.
class DeferredIconStyle : public QProxyStyle {
public:
    // Takes over the style given: the application's, as the user chose it.
    explicit DeferredIconStyle(QStyle* style);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
        const QWidget* widget = nullptr) const override;
};
