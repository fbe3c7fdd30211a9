// The preset format: {"format": "tessoly-preset", "version": 1, "watermark": {...}, "output": {...}}.
// The version counts changes an older program cannot read; a field added later is only a new
// key, which older programs skip with a warning, so adding one does not raise the version.
// Values are checked against what the window's controls can hold, so a preset that opens in
// the window always shows exactly what it says, and one the window saved always opens again:
// sliders, limited fields, choices and units have their ranges; fields that hold typed text
// (format, resolution, colour mode, rotation, width, height) take any text, which the output
// stage judges as it judges the typed text.

#include "batch/PresetFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <type_traits>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include "imageio/SafeFileWrite.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

//! Largest preset read [bytes]; a real one is well under a kilobyte.
constexpr qint64 kMaxPresetBytes = 1 << 20;
constexpr const char* kFormatName = "tessoly-preset";

//! Where the file sits, for the picture's relative path.
struct PresetPlace {
    QString folder;
};

using Writer = std::function<QJsonValue(const PresetSettings&, const PresetPlace&)>;
//! false when the value is not one the controls can take.
using Reader = std::function<bool(const QJsonValue&, PresetSettings&, const PresetPlace&)>;

struct Row {
    const char* section;
    const char* key;
    Writer write;
    Reader read;
};

template <class R> R& Rec(PresetSettings& p);
template <class R> const R& Rec(const PresetSettings& p);
template <> WatermarkSettings& Rec(PresetSettings& p) {
    return p.watermark;
}
template <> const WatermarkSettings& Rec(const PresetSettings& p) {
    return p.watermark;
}
template <> OutputSettings& Rec(PresetSettings& p) {
    return p.output;
}
template <> const OutputSettings& Rec(const PresetSettings& p) {
    return p.output;
}
template <class R> constexpr const char* SectionOf() {
    return std::is_same_v<R, WatermarkSettings> ? "watermark" : "output";
}

bool WholeInRange(const QJsonValue& v, int lo, int hi, int& out) {
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    // Range first: converting a huge value to an integer would be undefined.
    if (!(d >= lo && d <= hi) || d != std::trunc(d))
        return false;
    out = static_cast<int>(d);
    return true;
}

//! A decimal whole number as a control's text holds it ("800", "-5").
bool WholeTextInRange(const std::string& text, int lo, int hi) {
    long long number = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, number);
    return !text.empty() && error == std::errc() && end == last && number >= lo && number <= hi;
}

template <class R> Row Int(const char* key, int R::*m, int lo, int hi) {
    return {SectionOf<R>(), key,
            [m](const PresetSettings& p, const PresetPlace&) { return QJsonValue(Rec<R>(p).*m); },
            [m, lo, hi](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
                return WholeInRange(v, lo, hi, Rec<R>(p).*m);
            }};
}

template <class R> Row Bool(const char* key, bool R::*m) {
    return {SectionOf<R>(), key,
            [m](const PresetSettings& p, const PresetPlace&) { return QJsonValue(Rec<R>(p).*m); },
            [m](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
                if (!v.isBool())
                    return false;
                Rec<R>(p).*m = v.toBool();
                return true;
            }};
}

//! Any text, or with allowed given, one of those texts exactly.
template <class R>
Row Text(const char* key, std::string R::*m, std::initializer_list<const char*> allowed = {}) {
    std::vector<std::string> list(allowed.begin(), allowed.end());
    return {SectionOf<R>(), key,
            [m](const PresetSettings& p, const PresetPlace&) {
                return QJsonValue(QString::fromStdString(Rec<R>(p).*m));
            },
            [m, list](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
                if (!v.isString())
                    return false;
                const std::string text = v.toString().toStdString();
                if (!list.empty() && std::find(list.begin(), list.end(), text) == list.end())
                    return false;
                Rec<R>(p).*m = text;
                return true;
            }};
}

//! A whole number kept as text by its control.
template <class R> Row WholeText(const char* key, std::string R::*m, int lo, int hi) {
    return {SectionOf<R>(), key,
            [m](const PresetSettings& p, const PresetPlace&) {
                return QJsonValue(QString::fromStdString(Rec<R>(p).*m));
            },
            [m, lo, hi](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
                if (!v.isString() || !WholeTextInRange(v.toString().toStdString(), lo, hi))
                    return false;
                Rec<R>(p).*m = v.toString().toStdString();
                return true;
            }};
}

Row Unit(const char* key, SizeUnit WatermarkSettings::*m) {
    return {
        "watermark", key,
        [m](const PresetSettings& p, const PresetPlace&) { return QJsonValue(SizeUnitName(p.watermark.*m)); },
        [m](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
            return v.isString() && ParseSizeUnit(v.toString().toStdString(), p.watermark.*m);
        }};
}

Row Colour(const char* key, TColor32 WatermarkSettings::*m) {
    return {"watermark", key,
            [m](const PresetSettings& p, const PresetPlace&) {
                return QJsonValue(
                    QStringLiteral("%1").arg(p.watermark.*m & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper());
            },
            [m](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
                const std::string text = v.toString().toStdString();
                unsigned rgb = 0;
                const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
                if (!v.isString() || text.size() != 6 || error != std::errc() ||
                    end != text.data() + text.size())
                    return false;
                p.watermark.*m = 0xFF000000u | rgb;
                return true;
            }};
}

const std::vector<Row>& Rows() {
    using W = WatermarkSettings;
    using O = OutputSettings;
    static const std::vector<Row> rows = {
        Text("mode", &W::mode, {kModeText, kModeImage}),
        {"watermark", "caption",
         [](const PresetSettings& p, const PresetPlace&) {
             return QJsonValue(QString::fromStdU16String(p.watermark.caption));
         },
         [](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
             if (!v.isString())
                 return false;
             p.watermark.caption = v.toString().toStdU16String();
             return true;
         }},
        Text("fontName", &W::fontName),
        Int("fontSize", &W::fontSize, -10000, 10000),
        Unit("fontSizeUnit", &W::fontSizeUnit),
        Bool("bold", &W::bold),
        Bool("italic", &W::italic),
        Colour("textColour", &W::textColour),
        Bool("outline", &W::outline),
        Bool("effect3D", &W::effect3D),
        Int("opacity", &W::opacityPosition, 0, 50),
        Int("textAngle", &W::textAngle, -180, 180),
        {"watermark", "position",
         [](const PresetSettings& p, const PresetPlace&) {
             return QJsonValue(WatermarkPositionName(p.watermark.position));
         },
         [](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
             return v.isString() && ParseWatermarkPosition(v.toString().toStdString(), p.watermark.position);
         }},
        Int("hMargin", &W::hMargin, -1000000000, 1000000000),
        Unit("hMarginUnit", &W::hMarginUnit),
        Int("vMargin", &W::vMargin, -1000000000, 1000000000),
        Unit("vMarginUnit", &W::vMarginUnit),
        {"watermark", "picturePath",
         [](const PresetSettings& p, const PresetPlace& place) {
             const QString path = QString::fromStdString(p.watermark.picturePath);
             if (path.isEmpty())
                 return QJsonValue(path);
             const QString relative = QDir(place.folder).relativeFilePath(QFileInfo(path).absoluteFilePath());
             const bool inside = !relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative);
             return QJsonValue(inside ? relative : path);
         },
         [](const QJsonValue& v, PresetSettings& p, const PresetPlace& place) {
             if (!v.isString())
                 return false;
             const QString path = v.toString();
             p.watermark.picturePath = (path.isEmpty() || QDir::isAbsolutePath(path))
                                           ? path.toStdString()
                                           : QDir::cleanPath(QDir(place.folder).filePath(path)).toStdString();
             return true;
         }},
        Bool("transparentEdges", &W::transparentEdges),
        WholeText("imageScale", &W::imageScaleText, -1000000, 1000000),
        Unit("imageScaleUnit", &W::imageScaleUnit),
        Int("imageRotation", &W::imageRotationPosition, 0, 4),
        Bool("tile", &W::tile),
        Int("tileSpacing", &W::tileSpacing, -1000000000, 1000000000),
        Int("screenDpi", &W::screenDpi, 1, 10000),

        Text("format", &O::formatChoice),
        Text("resolution", &O::resolutionChoice),
        Text("colourMode", &O::colourMode),
        Int("jpegQuality", &O::jpegQuality, 1, 100),
        Bool("keepMetadata", &O::keepMetadata),
        Bool("applyExifOrientation", &O::applyExifOrientation),
        Bool("losslessJpeg", &O::losslessJpeg),
        Text("jpegSubsampling", &O::jpegSubsampling, {"4:2:0", "4:2:2", "4:4:4"}),
        Bool("jpegProgressive", &O::jpegProgressive),
        Bool("webpLossless", &O::webpLossless),
        Text("rotation", &O::rotation),
        Bool("resize", &O::resize),
        Text("width", &O::widthText),
        Text("height", &O::heightText),
        Bool("proportional", &O::proportional),
        Text("outputFolder", &O::outputFolder),
        {"output", "existingFile",
         [](const PresetSettings& p, const PresetPlace&) {
             const ExistingFilePolicy policy = p.output.existingFilePolicy;
             return QJsonValue(policy == ExistingFilePolicy::Rename      ? "rename"
                               : policy == ExistingFilePolicy::Overwrite ? "overwrite"
                                                                         : "skip");
         },
         [](const QJsonValue& v, PresetSettings& p, const PresetPlace&) {
             const QString text = v.toString();
             if (text == QLatin1String("skip"))
                 p.output.existingFilePolicy = ExistingFilePolicy::Skip;
             else if (text == QLatin1String("rename"))
                 p.output.existingFilePolicy = ExistingFilePolicy::Rename;
             else if (text == QLatin1String("overwrite"))
                 p.output.existingFilePolicy = ExistingFilePolicy::Overwrite;
             else
                 return false;
             return true;
         }},
    };
    return rows;
}

PresetPlace PlaceOf(const std::string& presetPath) {
    return {QFileInfo(QString::fromStdString(presetPath)).absolutePath()};
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

PresetLoad Refused(const std::string& path, const std::string& why) {
    PresetLoad load;
    load.error = "The preset " + Quoted(path) + " cannot be opened: " + why;
    return load;
}

} // namespace

std::string PresetText(const PresetSettings& settings, const std::string& presetPath) {
    const PresetPlace place = PlaceOf(presetPath);
    QJsonObject sections[2];
    for (const Row& row : Rows()) {
        QJsonObject& section = sections[std::string(row.section) == "watermark" ? 0 : 1];
        section.insert(QLatin1String(row.key), row.write(settings, place));
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), QLatin1String(kFormatName));
    root.insert(QStringLiteral("version"), kPresetFormatVersion);
    root.insert(QStringLiteral("watermark"), sections[0]);
    root.insert(QStringLiteral("output"), sections[1]);
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

void SavePresetFile(const std::string& path, const PresetSettings& settings) {
    const std::string text = PresetText(settings, path);
    WriteFileSafely(path, text.data(), text.size());
}

PresetLoad ReadPresetText(const std::string& text, const std::string& presetPath, PresetSettings& settings) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return Refused(presetPath, "it is damaged or cut short (" + parseError.errorString().toStdString() +
                                       " at byte " + std::to_string(parseError.offset) + ")");
    }
    if (!document.isObject())
        return Refused(presetPath, "it is not a preset");
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kFormatName))
        return Refused(presetPath, "the key \"format\" does not say \"tessoly-preset\"");
    int version = 0;
    if (!WholeInRange(root.value(QStringLiteral("version")), 1, 1000000, version))
        return Refused(presetPath, "the key \"version\" holds no format version");
    if (version > kPresetFormatVersion) {
        return Refused(presetPath, "the key \"version\" is " + std::to_string(version) +
                                       ", a format made by a newer Tessoly (this one reads up to " +
                                       std::to_string(kPresetFormatVersion) + ")");
    }

    PresetLoad load;
    const PresetPlace place = PlaceOf(presetPath);
    PresetSettings read; // missing keys keep their defaults
    for (auto it = root.begin(); it != root.end(); ++it) {
        const std::string name = it.key().toStdString();
        if (name == "format" || name == "version")
            continue;
        if (name != "watermark" && name != "output") {
            load.warnings.push_back("The preset " + Quoted(presetPath) + " has an unknown key " +
                                    Quoted(name) + ", which was ignored.");
            continue;
        }
        if (!it.value().isObject())
            return Refused(presetPath, "the key " + Quoted(name) + " holds no settings");
        const QJsonObject section = it.value().toObject();
        for (auto field = section.begin(); field != section.end(); ++field) {
            const std::string key = name + "." + field.key().toStdString();
            const auto row = std::find_if(Rows().begin(), Rows().end(), [&](const Row& r) {
                return name == r.section && field.key() == QLatin1String(r.key);
            });
            if (row == Rows().end()) {
                load.warnings.push_back("The preset " + Quoted(presetPath) + " has an unknown key " +
                                        Quoted(key) + ", which was ignored.");
                continue;
            }
            if (!row->read(field.value(), read, place)) {
                const QByteArray value =
                    QJsonDocument(QJsonArray{field.value()}).toJson(QJsonDocument::Compact);
                return Refused(presetPath, "the key " + Quoted(key) + " holds a value that cannot be used (" +
                                               value.mid(1, value.size() - 2).toStdString() + ")");
            }
        }
    }
    settings = read;
    load.ok = true;
    return load;
}

PresetLoad LoadPresetFile(const std::string& path, PresetSettings& settings) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return Refused(path, file.errorString().toStdString());
    if (file.size() > kMaxPresetBytes)
        return Refused(path, "it is too large to be a preset");
    const QByteArray bytes = file.read(kMaxPresetBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Refused(path, file.errorString().toStdString());
    return ReadPresetText(bytes.toStdString(), path, settings);
}

} // namespace tessoly
