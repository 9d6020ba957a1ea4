#include "storage/layout_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

#include "util/ansi_codepage.h"

namespace quorvel {

namespace {

enum class FieldKind { Int, Bool, Color, Text };

struct Field {
    const char* name;
    FieldKind kind;
    std::int32_t TPipEntry::*intField;
    ShortString TPipEntry::*textField;
};

constexpr Field kFields[] = {
    {"InputIndex", FieldKind::Int, &TPipEntry::InputIndex, nullptr},
    {"PosX", FieldKind::Int, &TPipEntry::PosX, nullptr},
    {"PosY", FieldKind::Int, &TPipEntry::PosY, nullptr},
    {"Width", FieldKind::Int, &TPipEntry::Width, nullptr},
    {"Height", FieldKind::Int, &TPipEntry::Height, nullptr},
    {"RecTop", FieldKind::Int, &TPipEntry::RecTop, nullptr},
    {"RecLeft", FieldKind::Int, &TPipEntry::RecLeft, nullptr},
    {"RecBottom", FieldKind::Int, &TPipEntry::RecBottom, nullptr},
    {"RecRight", FieldKind::Int, &TPipEntry::RecRight, nullptr},
    {"Visible", FieldKind::Bool, nullptr, nullptr},
    {"ProfileIndex", FieldKind::Int, &TPipEntry::ProfileIndex, nullptr},
    {"Border", FieldKind::Int, &TPipEntry::Border, nullptr},
    {"BorderColor", FieldKind::Color, nullptr, nullptr},
    {"PIPType", FieldKind::Int, &TPipEntry::PIPType, nullptr},
    {"BackFile", FieldKind::Text, nullptr, &TPipEntry::BackFile},
    {"FrontFile", FieldKind::Text, nullptr, &TPipEntry::FrontFile},
};

QByteArray JsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // strip the brackets
}

QByteArray EntryToJson(const TPipEntry& e) {
    QByteArray out = "{";
    bool first = true;
    for (const Field& f : kFields) {
        if (!first) {
            out += ", ";
        }
        first = false;
        out += '"';
        out += f.name;
        out += "\": ";
        switch (f.kind) {
        case FieldKind::Int:
            out += QByteArray::number(e.*f.intField);
            break;
        case FieldKind::Bool:
            out += e.Visible != 0 ? "true" : "false";
            break;
        case FieldKind::Color:
            out += QByteArray::number(e.BorderColor);
            break;
        case FieldKind::Text:
            out += JsonString(ShortStringText(e.*f.textField));
            break;
        }
    }
    out += '}';
    return out;
}

// A whole number in [low, high], or an error naming the key.
QString ReadWhole(const QJsonValue& v, const QString& where, double low, double high, double& out) {
    const double d = v.toDouble();
    if (!v.isDouble() || std::floor(d) != d || d < low || d > high) {
        return QStringLiteral("%1 must be a whole number from %2 to %3")
            .arg(where)
            .arg(static_cast<qint64>(low))
            .arg(static_cast<qint64>(high));
    }
    out = d;
    return {};
}

QString EntryFromJson(const QJsonObject& object, int index, TPipEntry& e) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        const Field* field = nullptr;
        for (const Field& f : kFields) {
            if (it.key() == QLatin1String(f.name)) {
                field = &f;
            }
        }
        const QString where = QStringLiteral("entries[%1].%2").arg(index).arg(it.key());
        if (field == nullptr) {
            return QStringLiteral("entries[%1] has an unknown key \"%2\"").arg(index).arg(it.key());
        }
        double number = 0;
        QString error;
        switch (field->kind) {
        case FieldKind::Int:
            error = ReadWhole(it.value(), where, std::numeric_limits<std::int32_t>::min(),
                              std::numeric_limits<std::int32_t>::max(), number);
            if (error.isEmpty()) {
                e.*field->intField = static_cast<std::int32_t>(number);
            }
            break;
        case FieldKind::Color:
            error =
                ReadWhole(it.value(), where, 0, std::numeric_limits<std::uint32_t>::max(), number);
            if (error.isEmpty()) {
                e.BorderColor = static_cast<std::uint32_t>(number);
            }
            break;
        case FieldKind::Bool:
            if (!it.value().isBool()) {
                error = QStringLiteral("%1 must be true or false").arg(where);
            } else {
                e.Visible = it.value().toBool() ? 1 : 0;
            }
            break;
        case FieldKind::Text: {
            if (!it.value().isString()) {
                error = QStringLiteral("%1 must be a string").arg(where);
                break;
            }
            const QString text = it.value().toString();
            if (UnicodeToAnsi(text).size() > 255) {
                error = QStringLiteral("%1 is longer than 255 characters").arg(where);
                break;
            }
            SetShortStringText(e.*field->textField, text);
            break;
        }
        }
        if (!error.isEmpty()) {
            return error;
        }
    }
    return {};
}

} // namespace

QByteArray LayoutToJson(const TPipSetup& setup) {
    QByteArray out = "{\n  \"entries\": [\n";
    for (std::size_t i = 0; i < setup.size(); ++i) {
        out += "    ";
        out += EntryToJson(setup[i]);
        out += i + 1 < setup.size() ? ",\n" : "\n";
    }
    out += "  ]\n}\n";
    return out;
}

QString LayoutFromJson(const QByteArray& json, TPipSetup& setup) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) {
        return QStringLiteral("malformed JSON at offset %1: %2")
            .arg(parseError.offset)
            .arg(parseError.errorString());
    }
    if (!doc.isObject()) {
        return QStringLiteral("the layout must be a JSON object with an \"entries\" array");
    }
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != QLatin1String("entries")) {
            return QStringLiteral("unknown key \"%1\" (expected only \"entries\")").arg(it.key());
        }
    }
    const QJsonValue entries = root.value(QLatin1String("entries"));
    if (!entries.isArray()) {
        return QStringLiteral("\"entries\" must be an array of up to four objects");
    }
    const QJsonArray array = entries.toArray();
    if (array.size() > static_cast<qsizetype>(kPipCount)) {
        return QStringLiteral("\"entries\" holds %1 objects; a layout has four").arg(array.size());
    }
    TPipSetup result = setup;
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject()) {
            return QStringLiteral("entries[%1] must be an object").arg(i);
        }
        const QString error = EntryFromJson(array.at(i).toObject(), static_cast<int>(i),
                                            result[static_cast<std::size_t>(i)]);
        if (!error.isEmpty()) {
            return error;
        }
    }
    setup = result;
    return {};
}

} // namespace quorvel
