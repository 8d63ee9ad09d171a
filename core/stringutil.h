#ifndef STRINGUTIL_H
#define STRINGUTIL_H

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>


extern const QString blanks101;

// Items, comments and continuation marks of configuration, batch and header lines.
QString splitComment(const QString &line, QString &comment);
QString stripComment(const QString &line);
QString takeComment(QString &line);
bool isBlankLine(const QString &line);
QString splitItem(const QString &line, QString &item);
// The item of line that starts at or after from, as splitItem takes it; returns
// the index where the rest of the line starts.
int nextItem(const QString &line, int from, QString &item);
QStringList itemsAfter(const QString &line, const QString &prefix);
bool matchKeyItems(const QString &line, QStringList &items, int minCount, const QString &key);
bool startsWith(const QString &line, const QString &prefix);
QVector<QString> splitItems(const QString &line);
bool hasContinuation(QString &line);
QString withoutContinuation(const QString &line);
QString splitAtRun(const QString &line, const QString &marker, QString &head,
                   const QString &separator);
QString trimItem(const QString &text);

// Number formatting.
QString withThousandsSep(const QString &number);
QString blanks(int n);
QString padRight(const QString &text, int width);

// Quoting for comma-separated text.
QString csvQuote(const QString &field);
QString takeCsvField(const QString &line, QString &field);
QString takeQuotedField(const QString &line, QString &field);
QString escapeQuotes(const QString &text);
QString quoted(const QString &text);
QString commaQuoted(const QString &text);
QString quoteItems(const QStringList &items);

// The background colour of a style sheet.
bool hasStyleColor(const QString &styleSheet);
QString styleColor(const QVector<int> &rgb);
QString styleColor(const QColor &colour);
QVector<int> parseStyleColor(const QString &styleSheet);
QString scaleStyleColor(const QString &styleSheet, double factor);
int clampByte(int v);

#endif
