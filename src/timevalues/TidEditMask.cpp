#include "timevalues/TidEditMask.h"

#include <QStringList>

namespace timevalues {

namespace tidmask {
namespace {

// The character mask and the remaining fields. A ";" escaped with "\" is a
// literal of the character mask.
struct Fields {
    QString chars;
    QString save;
    QChar blank = u'_';
};

Fields splitFields(const QString& editMask)
{
    Fields f;
    qsizetype i = 0;
    for (; i < editMask.size(); ++i) {
        if (editMask[i] == u'\\' && i + 1 < editMask.size()) {
            f.chars += editMask[i];
            f.chars += editMask[++i];
            continue;
        }
        if (editMask[i] == u';')
            break;
        f.chars += editMask[i];
    }
    if (i >= editMask.size())
        return f;
    const QStringList rest = editMask.mid(i + 1).split(u';');
    f.save = rest.value(0);
    if (rest.size() > 1 && !rest[1].isEmpty())
        f.blank = rest[1].front();
    return f;
}

bool isQtMaskMeta(QChar c)
{
    return QStringView(u"AaNnXx90Dd#HhBb<>![]{}\\;").contains(c);
}

} // namespace

Picture pictureOf(const QString& editMask)
{
    Picture picture;
    std::string& mask = picture.mask;
    bool leading = true;
    for (QChar c : editMask) {
        if (c == u';')
            break;
        if (c == u'#' || c == u'9') {
            mask += leading ? '#' : '$';
        } else if (c == u'0') {
            mask += '$';
            leading = false;
        } else if (c == u',') {
            mask += ',';
            leading = false;
        } else if (c == u'.' || c == u':') {
            mask += static_cast<char>(c.unicode());
        }
    }
    // The units digit before a decimal separator and every decimal show "0"
    // rather than a blank.
    const auto last = mask.find_last_of(",.:");
    if (last != std::string::npos && last > 0 && mask[last] != ':') {
        for (std::size_t i = last - 1; i < mask.size(); ++i)
            if (mask[i] == '#')
                mask[i] = '$';
    }
    const qsizetype semicolon = editMask.indexOf(u';');
    picture.mode = semicolon >= 0 && semicolon + 1 < editMask.size() && editMask[semicolon + 1] == u'1' ? 'V' : 'E';
    return picture;
}

QString toQtInputMask(const QString& editMask)
{
    if (editMask.isEmpty())
        return {};
    const Fields fields = splitFields(editMask);
    const QString& in = fields.chars;
    QString out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        switch (c.unicode()) {
        case u'\\':
            if (i + 1 < in.size()) {
                out += u'\\';
                out += in[++i];
            }
            break;
        case u'!': break; // leading blanks: Qt keeps blanks where they are
        case u'<':
            if (i + 1 < in.size() && in[i + 1] == u'>') {
                out += u'!';
                ++i;
            } else {
                out += u'<';
            }
            break;
        case u'>': out += u'>'; break;
        case u'0': out += u'9'; break;
        case u'9': out += u'0'; break;
        case u'#': out += u'#'; break;
        case u'L': out += u'A'; break;
        case u'l': out += u'a'; break;
        case u'A': out += u'N'; break;
        case u'a': out += u'n'; break;
        case u'C': out += u'X'; break;
        case u'c': out += u'x'; break;
        case u'_': out += u' '; break;
        default:
            if (isQtMaskMeta(c))
                out += u'\\';
            out += c;
        }
    }
    return out + u';' + fields.blank;
}

} // namespace tidmask

} // namespace timevalues
