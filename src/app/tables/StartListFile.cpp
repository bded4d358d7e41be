#include "app/tables/StartListFile.h"

#include <QString>

#include <array>
#include <string>

#include "app/tables/Cp1252.h"
#include "timevalues/IntOfValue.h"
#include "timevalues/TextRut.h"

namespace app {
namespace {

constexpr const char* kLineEnd = "\r\n";

// The interval grid's five columns are written, and a row goes into the file
// when its "Till nr" is filled; the pursuit grid's first three ("Diff" is
// computed), when its "Tid" is filled.
constexpr int kIntervalColumns = 5;
constexpr int kIntervalTestColumn = 1;
constexpr int kPursuitColumns = 3;
constexpr int kPursuitTestColumn = 2;

// How much of a line must follow its first "=" for the reader to look at it.
constexpr int kIntervalMinValueChars = 2;
constexpr int kPursuitMinValueChars = 1;

// `text` (UTF-8) as file bytes. Refuses what would not read back as written:
// the cell separator, a line break, a character without a byte.
std::string fileBytes(const std::string& text, const std::string& where)
{
    const QString wide = QString::fromStdString(text);
    std::string bytes = toCp1252(wide);
    const char* problem = nullptr;
    if (text.find(';') != std::string::npos)
        problem = "innehåller \";\", som skiljer cellerna åt i filen";
    else if (text.find('\n') != std::string::npos || text.find('\r') != std::string::npos)
        problem = "innehåller en radbrytning";
    else if (fromCp1252(bytes) != wide)
        problem = "innehåller ett tecken som inte finns i filens teckenuppsättning (Windows-1252)";
    if (problem)
        throw StartListFileError("Tabellen kan inte sparas: " + where + ": texten \"" + text + "\" " + problem + ".");
    return bytes;
}

std::string settingLine(const char* key, const std::string& value, bool withSemicolon = true)
{
    return std::string(key) + "=" + value + (withSemicolon ? ";" : "") + kLineEnd;
}

std::string granText(bool gran)
{
    return gran ? "true" : "false";
}

void appendGridLines(std::string& out, const StringGrid& grid, int columns, int testColumn)
{
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (grid.Cell(testColumn, row).empty())
            continue;
        out += "Grid=" + std::to_string(row) + ";";
        for (int col = 0; col < columns; ++col) {
            const std::string where = "rad " + std::to_string(row) + ", kolumn \"" + grid.Cell(col, 0) + "\"";
            out += fileBytes(grid.Cell(col, row), where) + ";";
        }
        out += kLineEnd;
    }
}

std::string upperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// One line of a file, cut at its first "=": the key (upper-cased) and the
// values that follow it, one per call of next().
class KeyedLine {
public:
    explicit KeyedLine(std::string_view line) : line_(line)
    {
        key_ = upperAscii(timevalues::NextField(line_, pos_, '='));
    }

    const std::string& key() const { return key_; }
    // Characters after the first "="; negative without one.
    long long valueChars() const { return static_cast<long long>(line_.size()) - (pos_ - 1); }
    // The next value up to ";" or the end of the line; empty past the end.
    std::string next() { return timevalues::NextField(line_, pos_, ';'); }
    int nextInt() { return timevalues::intOfValue(next()); }
    std::string nextText() { return fromCp1252(next()).toStdString(); }
    bool nextIsTrue() { return upperAscii(next()) == "TRUE"; }

private:
    std::string line_;
    int pos_ = 1;
    std::string key_;
};

// Runs `apply` for each line of `bytes` with at least `minValueChars` after
// its first "=". Lines end at LF; a CR before the LF (or before the end of
// the file) is not part of the line.
template <class Apply>
void forEachKeyedLine(std::string_view bytes, int minValueChars, Apply apply)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;

        KeyedLine keyed(line);
        if (keyed.valueChars() >= minValueChars)
            apply(keyed);
    }
}

// The keys of the two layouts, numbered from 1 in the order of their texts
// below; None for a key of neither.
enum class VanligKey { None, Tuta, Gran, Grid, AntStart };
enum class JaktKey { None, Antalko, Forstastart, Gran, Grid };

// The key among `keys` (in the order of the enumeration, from its first
// value after None); None when it is none.
template <class Key, std::size_t N>
Key findKey(const std::string& key, const std::array<const char*, N>& keys)
{
    for (std::size_t i = 0; i < N; ++i)
        if (key == keys[i])
            return static_cast<Key>(i + 1);
    return Key::None;
}

VanligKey FindVanligKey(const std::string& key)
{
    static constexpr std::array<const char*, 4> keys = {"TUTA", "GRAN", "GRID", "ANTSTART"};
    return findKey<VanligKey>(key, keys);
}

JaktKey FindJaktKey(const std::string& key)
{
    static constexpr std::array<const char*, 4> keys = {"ANTALKO", "FORSTASTART", "GRAN", "GRID"};
    return findKey<JaktKey>(key, keys);
}

// A "Grid=" line: its row number, then the texts of the first `columns`
// columns; a value the line lacks empties its cell. Rows outside the grid's
// data rows (the header row 0 among them) are left alone.
void applyGridLine(KeyedLine& line, StringGrid& grid, int columns)
{
    const int row = line.nextInt();
    if (row < 1 || row >= grid.RowCount())
        return;
    for (int col = 0; col < columns; ++col)
        grid.SetCell(col, row, line.nextText());
}

} // namespace

std::string writeIntervalTable(const StringGrid& grid, const IntervalTableSettings& settings)
{
    std::string out = settingLine("Tuta", std::to_string(settings.tuta));
    out += settingLine("Gran", granText(settings.gran));
    out += settingLine("AntStart", std::to_string(settings.antStart));
    appendGridLines(out, grid, kIntervalColumns, kIntervalTestColumn);
    return out;
}

std::string writePursuitTable(const StringGrid& grid, const PursuitTableSettings& settings)
{
    std::string out = settingLine("Antalko", fileBytes(settings.antalKo, "\"Antal köer:\""));
    out += settingLine("Forstastart", std::to_string(settings.forstaStart));
    out += settingLine("Gran", granText(settings.gran), false);
    appendGridLines(out, grid, kPursuitColumns, kPursuitTestColumn);
    return out;
}

void readIntervalTable(std::string_view bytes, StringGrid& grid, IntervalTableSettings& settings)
{
    forEachKeyedLine(bytes, kIntervalMinValueChars, [&](KeyedLine& line) {
        switch (FindVanligKey(line.key())) {
        case VanligKey::Tuta:
            if (const int code = line.nextInt(); code >= 0 && code <= 3)
                settings.tuta = code;
            break;
        case VanligKey::Gran:
            settings.gran = line.nextIsTrue();
            break;
        case VanligKey::Grid:
            applyGridLine(line, grid, kIntervalColumns);
            break;
        case VanligKey::AntStart:
            settings.antStart = line.nextInt();
            break;
        case VanligKey::None:
            break;
        }
    });
}

void readPursuitTable(std::string_view bytes, StringGrid& grid, PursuitTableSettings& settings,
                      const std::function<void()>& antalKoRead)
{
    forEachKeyedLine(bytes, kPursuitMinValueChars, [&](KeyedLine& line) {
        switch (FindJaktKey(line.key())) {
        case JaktKey::Antalko:
            settings.antalKo = line.nextText();
            if (antalKoRead)
                antalKoRead();
            break;
        case JaktKey::Forstastart:
            settings.forstaStart = line.nextInt();
            break;
        case JaktKey::Gran:
            settings.gran = line.nextIsTrue();
            break;
        case JaktKey::Grid:
            applyGridLine(line, grid, kPursuitColumns);
            break;
        case JaktKey::None:
            break;
        }
    });
}

} // namespace app
