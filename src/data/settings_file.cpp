#include "data/settings_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <optional>

#include "data/program_places.h"
#include "engine/code_page.h"

namespace kvzt::data {

namespace {

using engine::CodePage;

QString decode(const QByteArray& bytes) {
    return QString::fromStdString(engine::toUtf8(std::string_view(bytes.constData(), size_t(bytes.size())), CodePage::Cp1251));
}

QByteArray encode(const QString& text) {
    return QByteArray::fromStdString(engine::fromUtf8(text.toStdString(), CodePage::Cp1251));
}

// One line of the file, without its line end; `crlf` tells how it ended.
struct Line {
    QByteArray text;
    bool crlf = true;
};

struct Parsed {
    QList<Line> lines;
    bool endsWithNewline = true;
};

Parsed splitLines(const QByteArray& bytes) {
    Parsed parsed;
    if (bytes.isEmpty()) return parsed;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', from);
        const qsizetype end = nl < 0 ? bytes.size() : nl;
        Line line;
        line.text = bytes.mid(from, end - from);
        line.crlf = line.text.endsWith('\r');
        if (line.crlf) line.text.chop(1);
        parsed.lines.append(line);
        if (nl < 0) {
            parsed.endsWithNewline = false;
            break;
        }
        from = nl + 1;
    }
    return parsed;
}

QByteArray joinLines(const Parsed& parsed) {
    QByteArray out;
    for (qsizetype i = 0; i < parsed.lines.size(); ++i) {
        const Line& line = parsed.lines.at(i);
        out += line.text;
        const bool last = i + 1 == parsed.lines.size();
        if (!last || parsed.endsWithNewline) out += line.crlf ? "\r\n" : "\n";
    }
    return out;
}

// "[NAME]" → NAME (trimmed); null when the line is no section header.
std::optional<QString> sectionName(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (!t.startsWith('[')) return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0) return std::nullopt;
    return decode(t.mid(1, close - 1)).trimmed();
}

// "key=value" → key (trimmed); null for lines without "=".
std::optional<QString> keyName(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) return std::nullopt;
    return decode(line.left(eq)).trimmed();
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Where a key sits: the index of its line, and of its section's last
// non-blank line (to add a new key after it); -1 when absent.
struct Place {
    qsizetype sectionLine = -1;
    qsizetype keyLine = -1;
    qsizetype lastSectionLine = -1;
};

Place locate(const Parsed& parsed, const QString& section, const QString& key) {
    Place place;
    bool inSection = false;
    for (qsizetype i = 0; i < parsed.lines.size(); ++i) {
        const QByteArray& text = parsed.lines.at(i).text;
        if (const auto name = sectionName(text)) {
            if (inSection) break;  // the section ended
            inSection = place.sectionLine < 0 && sameName(*name, section);
            if (inSection) place.sectionLine = place.lastSectionLine = i;
            continue;
        }
        if (!inSection) continue;
        if (!text.trimmed().isEmpty()) place.lastSectionLine = i;
        if (const auto name = keyName(text); name && sameName(*name, key)) {
            place.keyLine = i;
            break;
        }
    }
    return place;
}

QByteArray readAll(const QString& path, bool* ok) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = !file.exists();  // a missing file reads as empty
        return {};
    }
    *ok = true;
    return file.readAll();
}

std::unique_ptr<SettingsFile>& current() {
    static std::unique_ptr<SettingsFile> settings;
    return settings;
}

}  // namespace

QString SettingsFile::readString(const QString& section, const QString& key, const QString& fallback) const {
    bool ok = false;
    const Parsed parsed = splitLines(readAll(path_, &ok));
    const Place place = locate(parsed, section, key);
    if (place.keyLine < 0) return fallback;
    const QByteArray& line = parsed.lines.at(place.keyLine).text;
    QString value = decode(line.mid(line.indexOf('=') + 1)).trimmed();
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value.left(kMaxValue);
}

void SettingsFile::writeString(const QString& section, const QString& key, const QString& value) {
    bool ok = false;
    Parsed parsed = splitLines(readAll(path_, &ok));
    if (!ok) {
        throw SettingsWriteError("Не удалось прочитать файл настроек " + QDir::toNativeSeparators(path_).toStdString());
    }
    const QByteArray entry = encode(key) + '=' + encode(value);
    // New lines end the way the file's lines do (CR LF for a new file).
    const bool crlf = parsed.lines.isEmpty() || parsed.lines.first().crlf;
    const Place place = locate(parsed, section, key);
    if (place.keyLine >= 0) {
        parsed.lines[place.keyLine].text = entry;
    } else {
        if (place.sectionLine >= 0) {
            parsed.lines.insert(place.lastSectionLine + 1, Line{entry, crlf});
        } else {
            parsed.lines.append(Line{'[' + encode(section) + ']', crlf});
            parsed.lines.append(Line{entry, crlf});
        }
        // Every line before an added one needs its line end.
        parsed.endsWithNewline = true;
    }

    // Written whole to a temporary file and renamed, so a failed write never
    // leaves half a settings file behind.
    QSaveFile file(path_);
    file.setDirectWriteFallback(true);  // a writable file in a read-only folder
    const QByteArray bytes = joinLines(parsed);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw SettingsWriteError("Ошибка записи в файл настроек " + QDir::toNativeSeparators(path_).toStdString() +
                                 ": " + file.errorString().toStdString());
    }
}

SettingsFile& OpenSettings(const QString& baseName) {
    const QString path = QDir(Places().writableDirectory).filePath(baseName + QStringLiteral(".ini"));
    QDir().mkpath(QFileInfo(path).absolutePath());  // the user's data folder on a first start
    current() = std::make_unique<SettingsFile>(path);
    return *current();
}

void CloseSettings() { current().reset(); }

SettingsFile* CurrentSettings() { return current().get(); }

}  // namespace kvzt::data
