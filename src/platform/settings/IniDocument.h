#pragma once
// An ini text held in memory and edited in place.
//
// The text is a series of lines, each ending in LF or CR LF (the last may
// have no end). A line is classified after leading blanks are skipped:
//   - "[Name]" opens the section Name (the name ends at the first "]" and is
//     trimmed); section names ignore letter case;
//   - ";" at the start makes the whole line a comment;
//   - "Key=Value" is a value of the current section: the key is the trimmed
//     text before the first "=", the value the trimmed text after it; no
//     quoting or escaping, so ";", "," and quotes in a value are kept as
//     they are; keys ignore letter case;
//   - anything else (blank lines, stray text) is kept but means nothing.
// Lines before the first section header form the section with the empty
// name "". Sections of the same name count as one, the first one holding a
// key wins, and the first of them takes new keys.
//
// Edits touch only what they must: a replaced value rewrites its own line, a
// new key goes after the last key of its section (right after the header
// when the section has none), a new section goes at the end of the text after
// a blank line. Every other line stays byte for byte. Lines written end with
// CR LF. Text is UTF-8.
#include "platform/settings/SettingsError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace platform {

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(const QByteArray& text);

    // The text, with every untouched line exactly as it was read.
    QByteArray toBytes() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    // Replaces the value in place or adds the key (and the section). Raises
    // SettingsError when the section name, key or value cannot be written as
    // one line that reads back the same (see checkSectionName, checkKey,
    // checkValue); nothing is changed then.
    void setValue(const QString& section, const QString& key, const QString& value);

    bool hasSection(const QString& section) const;
    // Adds an empty section at the end unless it is there already.
    void addSection(const QString& section);

    // The keys of a section in the order of the text, each once.
    QStringList keyNames(const QString& section) const;

    // Raise SettingsError for names and values that cannot be written:
    // a section name with "]", a line break or NUL, or blanks at either end;
    // a key that is empty, has blanks at either end, starts with ";" or "[",
    // or holds "=", a line break or NUL; a value with a line break or NUL.
    static void checkSectionName(const QString& section);
    static void checkKey(const QString& key);
    static void checkValue(const QString& value);

private:
    enum class Kind { Other, Section, Comment, Key };
    struct Line {
        QByteArray text;   // without its line end
        QByteArray end;    // "\r\n", "\n" or "" for a last line without one
        Kind kind = Kind::Other;
        QString name;      // section name or key
        QString value;     // value of a key line
    };

    static Line makeLine(QByteArray text, QByteArray end, bool first);
    // Index ranges [begin, end) of the sections with that name: the header
    // line (none for "") and the lines up to the next header.
    struct Range { bool hasHeader; size_t header; size_t begin; size_t end; };
    std::vector<Range> sectionRanges(const QString& section) const;
    void insertLine(size_t at, const QByteArray& text);

    std::vector<Line> lines_;
};

} // namespace platform
