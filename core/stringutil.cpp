#include "core/stringutil.h"

#include <QDebug>
#include <QRegularExpression>
#include <cmath>

const QString blanks101(101, QChar(' '));

static const char *StyleColorMarker = "background-color: rgb(";

// Index of the first non-blank character at or after from; -1 when none.
static int firstNonBlank(const QString &s, int from = 0)
{
    for (int i = from; i < s.size(); i++) {
        if (!s[i].isSpace())
            return i;
    }
    return -1;
}

static int lastNonBlank(const QString &s)
{
    for (int i = s.size() - 1; i >= 0; i--) {
        if (!s[i].isSpace())
            return i;
    }
    return -1;
}

QString splitComment(const QString &line, QString &comment)
{
    bool inQuote = false;
    for (int i = 0; i < line.size(); i++) {
        const QChar c = line[i];
        if (c == '"' || c == '\'') {
            inQuote = !inQuote;
        } else if (c == '#' && !inQuote) {
            comment = line.mid(i + 1);
            return line.left(i);
        }
    }
    return line;
}

QString stripComment(const QString &line)
{
    QString scratch;
    return splitComment(line, scratch);
}

QString takeComment(QString &line)
{
    QString comment;
    line = splitComment(line, comment);
    return comment;
}

bool isBlankLine(const QString &line) { return stripComment(line).simplified().isEmpty(); }

// The text being split, as a debug line shows it: a long one is cut, so that the
// lines about the items of one long line stay linear in its length.
static QString shownRest(const QString &line, int from)
{
    const int shown = 200;
    return line.size() - from > shown ? line.mid(from, shown) + "..." : line.mid(from);
}

int nextItem(const QString &line, int from, QString &item)
{
    // Built in locals: item may be the same object as line.
    const int start = firstNonBlank(line, from);
    if (start < 0) {
        item.clear();
        return line.size();
    }

    if (line[start] == '"') {
        const int close = line.indexOf('"', start + 1);
        if (close < 0) {
            qDebug().noquote()
                << QString("In a line [%1] item is started from quote but not ended by quote")
                       .arg(shownRest(line, from));
            const int end = line.size();
            item = line.mid(start + 1);
            return end;
        }
        item = line.mid(start + 1, close - start - 1);
        return close + 1;
    }

    int end = start;
    while (end < line.size() && !line[end].isSpace())
        end++;
    const QString found = line.mid(start, end - start);
    if (found.endsWith('"'))
        qDebug().noquote()
            << QString("In a line [%1] item is started from not quote but ended by quote")
                   .arg(shownRest(line, from));
    item = found;
    return end;
}

QString splitItem(const QString &line, QString &item)
{
    const QString text = line;  // item may be the same object as line
    const int end = nextItem(text, 0, item);
    return text.mid(end);
}

QStringList itemsAfter(const QString &line, const QString &prefix)
{
    QStringList items;
    QString rest = line.mid(prefix.size());
    QString item;
    while (!rest.isEmpty()) {
        rest = splitItem(rest, item);
        items << item;
    }
    return items;
}

bool matchKeyItems(const QString &line, QStringList &items, int minCount, const QString &key)
{
    if (!startsWith(line, key))
        return false;
    items = itemsAfter(line, key);
    return items.size() >= minCount;
}

bool startsWith(const QString &line, const QString &prefix)
{
    return line.startsWith(prefix, Qt::CaseSensitive);
}

QVector<QString> splitItems(const QString &line)
{
    QVector<QString> items;
    QString item;
    for (int at = 0; at < line.size();) {
        at = nextItem(line, at, item);
        if (!item.isEmpty())
            items << item;
    }
    return items;
}

bool hasContinuation(QString &line)
{
    const int last = lastNonBlank(line);
    if (last < 0 || line[last] != '\\')
        return false;
    line.truncate(last);
    return true;
}

QString withoutContinuation(const QString &line)
{
    QString once = line;
    if (!hasContinuation(once))
        return line;
    QString twice = once;
    return hasContinuation(twice) ? twice : once;
}

QString splitAtRun(const QString &line, const QString &marker, QString &head,
                   const QString &separator)
{
    head.clear();
    int p = line.indexOf(marker) + marker.size();
    if (p < 0)
        p = 0;
    if (p >= line.size())
        return QString();
    const bool oneChar = separator.size() == 1;
    if (oneChar && line[p] == separator[0]) {
        while (p < line.size() && line[p] == separator[0])
            p++;
        if (p >= line.size())
            return QString();
    }
    int q = oneChar ? line.indexOf(separator[0], p) : -1;
    if (q < 0)
        q = line.size();
    head = line.mid(p, q - p);
    return line.mid(q);
}

QString trimItem(const QString &text)
{
    const int first = firstNonBlank(text);
    if (first < 0)
        return text;
    return text.mid(first, lastNonBlank(text) - first + 1);
}

QString withThousandsSep(const QString &number)
{
    // Only the digits of the integer part are grouped; a sign stays in front of them and
    // an exponent or fraction behind them.
    QString s = number;
    const int start = (s.startsWith('-') || s.startsWith('+')) ? 1 : 0;
    int end = start;
    while (end < s.size() && s[end].isDigit())
        end++;
    for (int pos = end - 3; pos > start; pos -= 3)
        s.insert(pos, ',');
    return s;
}

QString blanks(int n)
{
    if (n <= 0)
        return QString();
    return blanks101.left(n);
}

QString padRight(const QString &text, int width)
{
    if (text.size() >= width)
        return text;
    return text + blanks(width - text.size());
}

QString csvQuote(const QString &field)
{
    if (field.contains('"'))
        return "\"" + QString(field).replace("\"", "\"\"") + "\"";
    if (field.contains(','))
        return "\"" + field + "\"";
    return field;
}

QString takeCsvField(const QString &line, QString &field)
{
    field.clear();
    if (line.startsWith(',')) {
        return line.mid(1);
    }
    if (!line.startsWith('"')) {
        const int comma = line.indexOf(',');
        if (comma < 0) {
            field = line;
            return QString();
        }
        field = line.left(comma);
        return line.mid(comma + 1);
    }
    int i = 1;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c != '"') {
            field += c;
            i++;
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
        }
        const int comma = line.indexOf(',', i);
        return comma < 0 ? QString() : line.mid(comma + 1);
    }
    return QString();
}

QString takeQuotedField(const QString &line, QString &field)
{
    field.clear();
    bool inQuote = false;
    for (int i = 0; i < line.size(); i++) {
        const QChar c = line[i];
        if (c == '"')
            inQuote = !inQuote;
        else if (c == ',' && !inQuote)
            return line.mid(i + 1);
        else
            field += c;
    }
    return QString();
}

QString escapeQuotes(const QString &text) { return QString(text).replace("\"", "\\\""); }

QString quoted(const QString &text) { return "\"" + escapeQuotes(text) + "\""; }

QString commaQuoted(const QString &text) { return "," + quoted(text); }

QString quoteItems(const QStringList &items)
{
    QString all;
    for (const QString &item : items)
        all += QString("\"%1\" ").arg(item);
    return all.simplified();
}

bool hasStyleColor(const QString &styleSheet)
{
    return styleSheet.contains(StyleColorMarker, Qt::CaseSensitive);
}

QString styleColor(const QVector<int> &rgb)
{
    return QString("%1%2, %3, %4);")
        .arg(StyleColorMarker)
        .arg(rgb.value(0, 0))
        .arg(rgb.value(1, 0))
        .arg(rgb.value(2, 0));
}

QString styleColor(const QColor &colour)
{
    return styleColor(QVector<int>{colour.red(), colour.green(), colour.blue()});
}

QVector<int> parseStyleColor(const QString &styleSheet)
{
    QVector<int> rgb(3, 0);
    const QString marker(StyleColorMarker);
    const int at = styleSheet.indexOf(marker);
    if (at < 0)
        return rgb;
    const int start = at + marker.size();
    int end = styleSheet.indexOf(')', start);
    if (end < 0)
        end = styleSheet.size();
    QString inner = styleSheet.mid(start, end - start);
    inner.replace(',', ' ');
    const QStringList parts = inner.split(QRegularExpression("\\s+"));
    for (int i = 0; i < 3 && i < parts.size(); i++) {
        bool ok = false;
        const int v = parts[i].toInt(&ok, 10);
        rgb[i] = ok ? v : 0;
    }
    return rgb;
}

QString scaleStyleColor(const QString &styleSheet, double factor)
{
    if (!hasStyleColor(styleSheet))
        return styleSheet;
    QVector<int> rgb = parseStyleColor(styleSheet);
    for (int &c : rgb) {
        const double v = std::trunc(c * factor);
        // Clamp before converting, so that NaN or huge products stay in range.
        c = (v > 0) ? int(qMin(v, 255.0)) : 0;
    }
    return styleColor(rgb);
}

int clampByte(int v) { return qBound(0, v, 255); }
