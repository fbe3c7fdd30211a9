#include "imageio/XmpRewrite.h"

#include <cctype>

namespace tessoly {

namespace {

//! Replaces the digits of every simple value of property name (attribute or element form).
void SetNumber(std::string& xmp, const std::string& name, unsigned value) {
    const std::string number = std::to_string(value);
    for (std::size_t at = 0; (at = xmp.find(name, at)) != std::string::npos; at += name.size()) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(xmp[at - 1])) || xmp[at - 1] == ':'))
            continue; // a longer name that ends in this one
        std::size_t valueAt = at + name.size();
        std::size_t valueEnd;
        if (xmp.compare(valueAt, 2, "=\"") == 0 || xmp.compare(valueAt, 2, "='") == 0) {
            const char quote = xmp[valueAt + 1];
            valueAt += 2;
            valueEnd = xmp.find(quote, valueAt);
        } else if (at > 0 && xmp[at - 1] == '<' && xmp.compare(valueAt, 1, ">") == 0) {
            valueAt += 1;
            valueEnd = xmp.find('<', valueAt);
        } else {
            continue;
        }
        if (valueEnd == std::string::npos || valueEnd == valueAt)
            continue;
        bool digits = true;
        for (std::size_t i = valueAt; i < valueEnd; ++i)
            digits = digits && std::isdigit(static_cast<unsigned char>(xmp[i]));
        if (digits)
            xmp.replace(valueAt, valueEnd - valueAt, number);
    }
}

//! Removes every <prefix:Thumbnails>...</prefix:Thumbnails> element.
void DropThumbnails(std::string& xmp) {
    for (const char* prefix : {"xmp", "xap"}) {
        const std::string open = std::string("<") + prefix + ":Thumbnails";
        const std::string close = std::string("</") + prefix + ":Thumbnails>";
        for (std::size_t at = 0; (at = xmp.find(open, at)) != std::string::npos;) {
            const char after = at + open.size() < xmp.size() ? xmp[at + open.size()] : '\0';
            if (after != '>' && after != '/' && !std::isspace(static_cast<unsigned char>(after))) {
                at += open.size(); // a longer name
                continue;
            }
            const std::size_t end = xmp.find(close, at);
            const std::size_t selfClosed = xmp.find("/>", at);
            const std::size_t tagEnd = xmp.find('>', at);
            if (tagEnd == std::string::npos)
                return;
            if (selfClosed != std::string::npos && selfClosed + 1 == tagEnd) {
                xmp.erase(at, tagEnd + 1 - at);
            } else if (end != std::string::npos) {
                xmp.erase(at, end + close.size() - at);
            } else {
                return;
            }
        }
    }
}

} // namespace

std::string RewriteXmpPacket(const std::string& packet, const ExifUpdate& update) {
    std::string xmp = packet;
    if (update.orientationUpright)
        SetNumber(xmp, "tiff:Orientation", 1);
    SetNumber(xmp, "exif:PixelXDimension", update.width);
    SetNumber(xmp, "exif:PixelYDimension", update.height);
    SetNumber(xmp, "tiff:ImageWidth", update.width);
    SetNumber(xmp, "tiff:ImageLength", update.height);
    DropThumbnails(xmp);
    return xmp;
}

} // namespace tessoly
