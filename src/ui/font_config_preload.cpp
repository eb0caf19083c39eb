#include "font_config_preload.h"

#include <fontconfig/fontconfig.h>

FontConfigPreload::FontConfigPreload()
    // A configuration that cannot be read is reported by fontconfig itself, and again met by
    // Qt when it lists the fonts, as it would be without this thread.
    : m_reader([] { FcInit(); })
{
}

void FontConfigPreload::wait()
{
    if (m_reader.joinable())
        m_reader.join();
}
