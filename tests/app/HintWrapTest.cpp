// Hints wrap at 240 pixels; short ones are left exactly as they are.

#include "app/HintWrap.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QTextDocument>

#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

TEST(HintWrap, ShortHintsStayLongOnesWrapAt240Pixels) {
    test::EnsureWindowTestApplication();
    QFont font;
    font.setPixelSize(11);
    for (const QString& hint : {QStringLiteral("Bold"), QStringLiteral("Select output folder"),
                                QStringLiteral("Open folder after watermarking<br>Status: <b>on</b>")})
        EXPECT_EQ(WrapHint(hint, font), hint);

    const QString longPlain =
        QStringLiteral("/home/someone/Pictures/a rather long folder name/and another one/photo.jpg");
    const QString longRich =
        QStringLiteral("<b>Image file: </b>") + longPlain + QStringLiteral("<br><b>Image type: </b>x");
    for (const QString& hint : {longPlain, longRich}) {
        const QString wrapped = WrapHint(hint, font);
        EXPECT_TRUE(wrapped.startsWith(QStringLiteral("<table width=\"240\""))) << wrapped.toStdString();
        QTextDocument document;
        document.setDefaultFont(font);
        document.setHtml(wrapped);
        document.setTextWidth(400);
        EXPECT_LE(document.idealWidth(), 240 + 2 * document.documentMargin() + 1) << hint.toStdString();
    }
    EXPECT_TRUE(WrapHint(longRich, font).contains(QStringLiteral("<b>Image type: </b>")));
}

} // namespace
} // namespace tessoly
