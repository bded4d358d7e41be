#include "platform/settings/IniDocument.h"

#include "platform/NameOrder.h"

#include <QStringDecoder>

namespace platform {
namespace {

const QByteArray kLineEnd = "\r\n";
const QByteArray kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

bool hasBlankEnds(const QString& s)
{
    return !s.isEmpty() && (isBlank(s.front()) || isBlank(s.back()));
}

bool hasLineBreakOrNul(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(u'\0'));
}

// A byte-order mark is dropped only at the start of the text (makeLine); a
// U+FEFF at the start of a name or value is part of it.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(bytes.trimmed());
}

} // namespace

IniDocument::IniDocument(const QByteArray& text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf('\n', start);
        if (lf < 0) {
            lines_.push_back(makeLine(text.mid(start), QByteArray(), lines_.empty()));
            break;
        }
        QByteArray line = text.mid(start, lf - start);
        QByteArray end = "\n";
        if (line.endsWith('\r')) {
            line.chop(1);
            end = kLineEnd;
        }
        lines_.push_back(makeLine(std::move(line), std::move(end), lines_.empty()));
        start = lf + 1;
    }
}

IniDocument::Line IniDocument::makeLine(QByteArray text, QByteArray end, bool first)
{
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    QByteArray body = line.text;
    if (first && body.startsWith(kByteOrderMark))
        body.remove(0, kByteOrderMark.size());
    body = body.trimmed();
    if (body.startsWith('[')) {
        const qsizetype close = body.indexOf(']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = decode(body.mid(1, close - 1));
        }
    } else if (body.startsWith(';')) {
        line.kind = Kind::Comment;
    } else if (const qsizetype eq = body.indexOf('='); eq > 0) {
        line.kind = Kind::Key;
        line.name = decode(body.left(eq));
        line.value = decode(body.mid(eq + 1));
    }
    return line;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const Line& line : lines_)
        out += line.text + line.end;
    return out;
}

std::vector<IniDocument::Range> IniDocument::sectionRanges(const QString& section) const
{
    std::vector<Range> ranges;
    size_t firstHeader = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section) {
            firstHeader = i;
            break;
        }
    }
    if (section.isEmpty())
        ranges.push_back({false, 0, 0, firstHeader});
    for (size_t i = firstHeader; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || !sameName(lines_[i].name, section))
            continue;
        size_t end = i + 1;
        while (end < lines_.size() && lines_[end].kind != Kind::Section)
            ++end;
        ranges.push_back({true, i, i + 1, end});
    }
    return ranges;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    for (const Range& r : sectionRanges(section)) {
        for (size_t i = r.begin; i < r.end; ++i) {
            if (lines_[i].kind == Kind::Key && sameName(lines_[i].name, key))
                return lines_[i].value;
        }
    }
    return std::nullopt;
}

void IniDocument::checkSectionName(const QString& section)
{
    if (section.contains(u']') || hasLineBreakOrNul(section) || hasBlankEnds(section))
        throw SettingsError("Namnet \"" + section.toStdString() + "\" kan inte vara ett avsnitt i en ini-fil.");
}

void IniDocument::checkKey(const QString& key)
{
    if (key.isEmpty() || hasBlankEnds(key) || key.startsWith(u';') || key.startsWith(u'[')
        || key.contains(u'=') || hasLineBreakOrNul(key))
        throw SettingsError("Namnet \"" + key.toStdString() + "\" kan inte vara en nyckel i en ini-fil.");
}

void IniDocument::checkValue(const QString& value)
{
    if (hasLineBreakOrNul(value))
        throw SettingsError("Ett värde i en ini-fil kan inte innehålla en radbrytning eller ett NUL-tecken.");
}

void IniDocument::insertLine(size_t at, const QByteArray& text)
{
    if (at > 0 && lines_[at - 1].end.isEmpty())
        lines_[at - 1].end = kLineEnd;
    QByteArray mark;
    if (at == 0 && !lines_.empty() && lines_[0].text.startsWith(kByteOrderMark)) {
        // The byte order mark stays at the very start of the text.
        lines_[0].text.remove(0, kByteOrderMark.size());
        mark = kByteOrderMark;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), makeLine(mark + text, kLineEnd, at == 0));
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    checkSectionName(section);
    checkKey(key);
    checkValue(value);

    const std::vector<Range> ranges = sectionRanges(section);
    for (const Range& r : ranges) {
        for (size_t i = r.begin; i < r.end; ++i) {
            Line& line = lines_[i];
            if (line.kind != Kind::Key || !sameName(line.name, key))
                continue;
            if (line.value != value) {
                const QByteArray mark = i == 0 && line.text.startsWith(kByteOrderMark) ? kByteOrderMark : QByteArray();
                line = makeLine(mark + line.name.toUtf8() + '=' + value.toUtf8(), kLineEnd, i == 0);
            }
            return;
        }
    }

    const QByteArray text = key.toUtf8() + '=' + value.toUtf8();
    if (ranges.empty()) {
        addSection(section);
        insertLine(lines_.size(), text);
        return;
    }
    const Range& r = ranges.front();
    size_t at = r.hasHeader ? r.header + 1 : r.begin;
    for (size_t i = r.begin; i < r.end; ++i) {
        const bool holdsText = !lines_[i].text.trimmed().isEmpty();
        if (lines_[i].kind == Kind::Key || (section.isEmpty() && holdsText))
            at = i + 1;
    }
    insertLine(at, text);
}

bool IniDocument::hasSection(const QString& section) const
{
    if (section.isEmpty())
        return !keyNames(section).isEmpty();
    return !sectionRanges(section).empty();
}

void IniDocument::addSection(const QString& section)
{
    checkSectionName(section);
    if (section.isEmpty() || !sectionRanges(section).empty())
        return;
    if (!lines_.empty()) {
        if (lines_.back().end.isEmpty())
            lines_.back().end = kLineEnd;
        if (!lines_.back().text.trimmed().isEmpty())
            lines_.push_back(makeLine(QByteArray(), kLineEnd, false));
    }
    lines_.push_back(makeLine('[' + section.toUtf8() + ']', kLineEnd, lines_.empty()));
}

QStringList IniDocument::keyNames(const QString& section) const
{
    QStringList names;
    for (const Range& r : sectionRanges(section)) {
        for (size_t i = r.begin; i < r.end; ++i) {
            if (lines_[i].kind == Kind::Key && !names.contains(lines_[i].name, Qt::CaseInsensitive))
                names << lines_[i].name;
        }
    }
    return names;
}

} // namespace platform
