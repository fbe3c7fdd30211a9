// The XMP packet rewrite: orientation, pixel dimensions and the embedded thumbnail, in the
// attribute and element forms writers use, and nothing else touched.

#include "imageio/XmpRewrite.h"

#include <gtest/gtest.h>
#include <string>

namespace tessoly {
namespace {

TEST(XmpRewriteTest, PropertiesFollowTheOutputInBothForms) {
    struct Case {
        const char* packet;
        bool upright;
        const char* expected;
    };
    const Case cases[] = {
        {R"(<rdf:Description tiff:Orientation="6" exif:PixelXDimension="4000" exif:PixelYDimension='3000'/>)",
         true, R"(<rdf:Description tiff:Orientation="1" exif:PixelXDimension="800" exif:PixelYDimension='600'/>)"},
        {R"(<tiff:Orientation>8</tiff:Orientation><tiff:ImageWidth>4000</tiff:ImageWidth><tiff:ImageLength>3000</tiff:ImageLength>)",
         true, R"(<tiff:Orientation>1</tiff:Orientation><tiff:ImageWidth>800</tiff:ImageWidth><tiff:ImageLength>600</tiff:ImageLength>)"},
        // Orientation kept where the pixels were not turned.
        {R"(<rdf:Description tiff:Orientation="6"/>)", false, R"(<rdf:Description tiff:Orientation="6"/>)"},
        // Names that only end in a property's name, and values that are not numbers, stay.
        {R"(<x mytiff:Orientation="6" xtiff:Orientation="3" exif:PixelXDimension="wide"/>)", true,
         R"(<x mytiff:Orientation="6" xtiff:Orientation="3" exif:PixelXDimension="wide"/>)"},
        // The embedded thumbnail goes, the rest stays.
        {R"(<a/><xmp:Thumbnails><rdf:Alt><rdf:li xmpGImg:image="/9j/4AAQ"/></rdf:Alt></xmp:Thumbnails><b/>)", false,
         R"(<a/><b/>)"},
        {R"(<a/><xap:Thumbnails rdf:parseType="Resource"/><b/>)", false, R"(<a/><b/>)"},
        {R"(<xmp:ThumbnailsBroken)", false, R"(<xmp:ThumbnailsBroken)"},
        {R"(<xmp:ThumbnailsNote/><xmp:Thumbnails/>)", false, R"(<xmp:ThumbnailsNote/>)"},
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RewriteXmpPacket(c.packet, {800, 600, c.upright}), c.expected) << c.packet;
}

} // namespace
} // namespace tessoly
