#include "batch/batchdispatcher.h"

#include <QDebug>
#include <QMetaType>
#include <limits>

#include "batch/batchcmdtables.h"
#include "core/boundedlinereader.h"
#include "core/globals.h"
#include "core/stringutil.h"

namespace {

// Statements run in one activation, and its time, before the thread returns
// to its event loop, where a Stop or the log's acknowledgement can arrive.
const int statementsPerTurn = 500;
const qint64 turnMs = 20;
// A run whose loops pass this often, or this long, without a command is given
// up; past loggedIdlePasses such passes write no log line.
const qint64 defaultMaxIdlePasses = 1000000;
const qint64 defaultMaxIdleMs = 20000;
const qint64 loggedIdlePasses = 100000;
// Replacements within one argument.
const int maxReplacements = 1000;

bool hasSpace(const QString &text)
{
    for (const QChar ch : text) {
        if (ch.isSpace())
            return true;
    }
    return false;
}

}  // namespace

// The longest line the batch and configuration readers take.
const int BatchDispatcher::MaxExpandedSize = BoundedLineReader::DefaultMaxLineBytes;

BatchDispatcher::BatchDispatcher(QObject *parent)
    : QObject(parent), running(false), inComment(false), current(0), runSerial(0), awaitToken(0),
      awaitId(EX_not_ex_cmd), awaitOwnId(EX_not_ex_cmd), tokenSerial(0), idlePasses(0),
      maxIdlePasses(defaultMaxIdlePasses), maxIdleMs(defaultMaxIdleMs), givenUp(false),
      logPaced(false), updatesInFlight(0), foldedChars(0), foldedLines(0), leftOut(0)
{
    variables.add("$DataRoot$", dataRoot, QString(), QString());
    connect(this, &BatchDispatcher::execNextLineSig, this, &BatchDispatcher::execNextLineSlot,
            Qt::DirectConnection);
}

void BatchDispatcher::registerMetaTypes()
{
    qRegisterMetaType<CmdLine>("CmdLine");
    qRegisterMetaType<EX_CMD_ID>("EX_CMD_ID");
}

QString BatchDispatcher::cutLogText(const QString &text)
{
    if (text.size() <= MaxLogText)
        return text;
    return text.left(MaxLogText) + tr(" [%1 more characters of this text are not shown]\n")
                                       .arg(text.size() - MaxLogText);
}

void BatchDispatcher::setIdleBounds(qint64 maxPasses, qint64 maxMs)
{
    maxIdlePasses = qMax<qint64>(1, maxPasses);
    maxIdleMs = qMax<qint64>(1, maxMs);
}

void BatchDispatcher::doDispatchCmds(QStringList batchLines)
{
    if (running) {
        lines = batchLines;
        return;
    }
    beginRun(batchLines);
    emit execNextLineSig();
}

void BatchDispatcher::doQueueCmds(QStringList batchLines)
{
    if (running) {
        queuedRuns.append(batchLines);
        logDebug(QString("BatchDispatcher: %1 lines queued behind the run in progress")
                     .arg(batchLines.size()));
        return;
    }
    beginRun(batchLines);
    emit execNextLineSig();
}

void BatchDispatcher::beginRun(const QStringList &batchLines)
{
    lines = batchLines;
    running = true;
    current = 0;
    loops.clear();
    runSerial++;
    awaitToken = 0;
    idlePasses = 0;
    givenUp = false;
    sinceCommand.start();
}

void BatchDispatcher::finishBatchExec(int id)
{
    if (running && awaitToken != 0 && (id == awaitId || id == awaitOwnId)) {
        commandDone();
        return;
    }
    if (running)
        logDebug(QString("BatchDispatcher: completion %1 belongs to no command sent, ignored")
                     .arg(id));
}

void BatchDispatcher::finishBatchCmd(int token, int id)
{
    if (running && token != 0 && token == awaitToken) {
        commandDone();
        return;
    }
    logDebug(QString("BatchDispatcher: completion %1 of command %2, which no run waits for, "
                     "ignored")
                 .arg(id)
                 .arg(token));
}

void BatchDispatcher::commandDone()
{
    awaitToken = 0;
    // The idle bounds count from here: a long command is no idle time.
    idlePasses = 0;
    sinceCommand.start();
    emit execNextLineSig();
}

void BatchDispatcher::batchStopSlot()
{
    if (running)
        logDebug(QString("BatchDispatcher: run stopped before line %1").arg(current + 1));
    if (!queuedRuns.isEmpty())
        logDebug(QString("BatchDispatcher: %1 queued batches dropped").arg(queuedRuns.size()));
    queuedRuns.clear();
    const bool wasRunning = running;
    running = false;
    inComment = false;
    // The command in progress runs on; nothing waits for its completion.
    awaitToken = 0;
    flushLog();
    if (wasRunning)
        emit runsEnded(false);
}

void BatchDispatcher::execNextLineSlot()
{
    QElapsedTimer turn;
    turn.start();
    for (int n = 0; n < statementsPerTurn && (n == 0 || turn.elapsed() < turnMs); n++) {
        if (!running || waitingForCommand())
            return;
        const Step step = execStatement();
        if (step == CommandSent)
            return;
        // A run that ended by itself hands over to the next queued batch.
        if (step == RunEnded && !running) {
            if (queuedRuns.isEmpty()) {
                flushLog();
                emit runsEnded(givenUp);
                return;
            }
            beginRun(queuedRuns.takeFirst());
        }
    }
    continueLater();
}

void BatchDispatcher::setLogPaced(bool on)
{
    if (on == logPaced)
        return;
    flushLog();
    logPaced = on;
    updatesInFlight = 0;
}

void BatchDispatcher::logShown()
{
    if (updatesInFlight > 0)
        updatesInFlight--;
    if (updatesInFlight == 0)
        flushLog();
}

void BatchDispatcher::mark(int m) { emit marked(m); }

void BatchDispatcher::log(const QString &text) { logCut(cutLogText(text)); }

void BatchDispatcher::logCut(const QString &cut)
{
    if (!logPaced || (updatesInFlight == 0 && folded.isEmpty())) {
        if (logPaced)
            updatesInFlight++;
        emit Log(cut);
        return;
    }
    // The log is behind: the text waits, and the oldest waiting texts beyond
    // what the log would keep are dropped.
    folded << cut;
    foldedChars += cut.size();
    foldedLines += cut.count('\n');
    while (folded.size() > 1 && (foldedChars > MaxFoldedChars || foldedLines > MaxFoldedLines)) {
        const QString &first = folded.first();
        foldedChars -= first.size();
        foldedLines -= first.count('\n');
        folded.removeFirst();
        leftOut++;
    }
}

void BatchDispatcher::flushLog()
{
    if (folded.isEmpty() && leftOut == 0)
        return;
    if (logPaced)
        updatesInFlight++;
    emit foldedLog(folded, leftOut);
    folded.clear();
    foldedChars = 0;
    foldedLines = 0;
    leftOut = 0;
}

void BatchDispatcher::continueLater()
{
    const int serial = runSerial;
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            if (serial == runSerial)
                execNextLineSlot();
        },
        Qt::QueuedConnection);
}

void BatchDispatcher::await(EX_CMD_ID id, bool skip)
{
    // Tokens are never 0, also after they wrap round.
    tokenSerial = tokenSerial == std::numeric_limits<int>::max() ? 1 : tokenSerial + 1;
    awaitToken = tokenSerial;
    awaitOwnId = skip ? EX_not_ex_cmd : id;
    if (skip)
        awaitId = EX_not_ex_cmd;
    else if (id == EX_load_I1_files_of_pattern)
        awaitId = EX_load_I1_files;
    else if (id == EX_load_I0_files_of_pattern)
        awaitId = EX_load_I0_files;
    else
        awaitId = id;
}

void BatchDispatcher::endRun(const QString &why)
{
    running = false;
    inComment = false;
    logDebug(QString("BatchDispatcher: run ended, %1").arg(why));
}

BatchDispatcher::Step BatchDispatcher::execStatement()
{
    if (current < 0 || current >= lines.size()) {
        endRun("no line left");
        return RunEnded;
    }

    QString text = lines.at(current);
    while (hasContinuation(text)) {
        current++;
        if (current >= lines.size())
            break;
        text += lines.at(current);
    }

    CmdLine c;
    c.raw = text;
    c.parse(text);

    CTL_CMD_ID ctl = CTL_none;
    EX_CMD_ID ex = EX_not_ex_cmd;
    if (!c.cmd.isEmpty()) {
        // A quoted command word is classified by its first item.
        CmdLine word;
        word.cmd = c.cmd;
        if (hasSpace(c.cmd))
            splitItem(c.cmd, word.cmd);
        ctl = ctlCmdId(word);
        ex = exCmdId(word);
    }

    bool send = false;
    if (ctl == CTL_end) {
        endRun(":end");
        return RunEnded;
    } else if (ctl == CTL_rem_end) {
        inComment = false;
    } else if (ctl == CTL_rem_start) {
        inComment = true;
    } else if (inComment) {
        send = ex != EX_not_ex_cmd;
    } else if (ctl == CTL_for) {
        doFor(c);
    } else if (ctl == CTL_next) {
        doNext(c);
        if (!running)
            return RunEnded;
    } else if (ctl == CTL_echo) {
        CmdLine first;
        first.args << c.arg(0);
        if (expandArgs(first)) {
            // The debug line is cut as the log cuts it.
            const QString echo = cutLogText(QStringLiteral("echo ") + first.args.first());
            qDebug().noquote() << (echo.endsWith('\n') ? echo.chopped(1) : echo);
            logCut(echo);
        }
    } else if (ctl == CTL_let) {
        variables.add(QString("$%1$").arg(c.arg(0)), c.arg(1), QString(), QString());
    } else if (ex != EX_not_ex_cmd) {
        send = expandArgs(c);
        if (send)
            log(QString("%1 : %2\n").arg(c.cmd, c.args.join(' ')));
        else
            log(tr("Err: arguments of %1 on line %2 grow past %3 characters when "
                   "expanded; not run\n")
                    .arg(c.cmd, QString::number(current + 1), QString::number(MaxExpandedSize)));
    }

    current++;
    if (!send)
        return NoCommand;
    flushLog();
    await(ex, inComment);
    emit execCmdTokenSig(awaitToken);
    emit execCmdSig(c, inComment);
    return CommandSent;
}

void BatchDispatcher::doFor(const CmdLine &c)
{
    const QVector<QString> items = splitItems(c.args.join(' '));
    const BatchForLoop loop(items.value(0), current, items.value(1), items.value(2),
                            items.value(3), items.value(4));
    for (int i = loops.size() - 1; i >= 0; i--) {
        if (loops[i].name == loop.name)
            loops.remove(i);
    }
    loops.append(loop);
    log(QString("for %1 : %2 = %3\n").arg(loop.name, loop.placeholder, loop.start));
}

void BatchDispatcher::doNext(const CmdLine &c)
{
    const QString name = c.arg(0);
    for (BatchForLoop &loop : loops) {
        if (loop.name != name)
            continue;
        if (loop.advance()) {
            current = loop.line;
            if (!idlePass(name))
                return;
            if (idlePasses > loggedIdlePasses)
                return;
        }
        log(QString("next %1 : %2 = %3\n").arg(loop.name, loop.placeholder, loop.current));
        return;
    }
    log(QString("next %1 : %2 = %3\n").arg(QString(), QString(), QString()));
}

bool BatchDispatcher::idlePass(const QString &loop)
{
    ++idlePasses;
    if (idlePasses == loggedIdlePasses + 1)
        log(tr("Loop %1 has run %2 passes without a command; further passes are not "
               "logged\n")
                .arg(loop, QString::number(loggedIdlePasses)));
    // The clock is read at every pass: one pass may take long (a large echo).
    const bool tooMany = idlePasses > maxIdlePasses;
    if (!tooMany && sinceCommand.elapsed() < maxIdleMs)
        return true;
    const QString msg =
        tooMany ? tr("Batch stopped: loop %1 ran %2 passes without a command\n")
                      .arg(loop, QString::number(maxIdlePasses))
                : tr("Batch stopped: loop %1 ran %2 s without a command\n")
                      .arg(loop, QString::number(maxIdleMs / 1000));
    log(msg);
    endRun(msg.trimmed());
    givenUp = true;
    return false;
}

bool BatchDispatcher::expandArgs(CmdLine &c) const
{
    qint64 room = MaxExpandedSize;
    for (QString &a : c.args)
        room -= a.size();
    for (QString &a : c.args) {
        if (!expand(a, room)) {
            logDebug(QString("BatchDispatcher: the arguments of [%1] on line %2 would grow past "
                             "%3 characters when expanded; the statement is not run")
                         .arg(c.cmd)
                         .arg(current + 1)
                         .arg(MaxExpandedSize));
            return false;
        }
    }
    return true;
}

// Replaces placeholders, then variables, in arg; room is what the statement may
// still grow by, and arg is left unchanged when a replacement would overstep it.
bool BatchDispatcher::expand(QString &arg, qint64 &room) const
{
    QString out = arg;
    int budget = maxReplacements;
    bool bounded = false;
    bool tooLarge = false;

    // Replaces every occurrence of key, as if searching again from the start after
    // each replacement: only the text from one key length before the replacement
    // can hold a new occurrence. A value that holds its own key is not searched again.
    auto replaceKey = [&](const QString &key, const QString &value) {
        if (key.isEmpty() || tooLarge)
            return;
        const bool holdsKey = value.contains(key);
        const qint64 growth = qint64(value.size()) - key.size();
        int from = 0;
        for (;;) {
            const int at = out.indexOf(key, from);
            if (at < 0)
                return;
            if (budget <= 0) {
                bounded = true;
                return;
            }
            if (growth > 0 && growth > room) {
                tooLarge = true;
                return;
            }
            budget--;
            room -= growth;
            out.replace(at, key.size(), value);
            from = holdsKey ? at + value.size() : qMax(0, at - key.size() + 1);
        }
    };

    for (const BatchForLoop &loop : loops)
        replaceKey(loop.placeholder, loop.current);
    const int n = qMin(variables.keys.size(), variables.valueList.size());
    for (int i = 0; i < n; i++)
        replaceKey(variables.keys.at(i), variables.valueList.at(i));

    if (tooLarge)
        return false;
    if (bounded)
        logDebug(QString("BatchDispatcher: more than %1 replacements in argument [%2], the rest "
                         "left as written")
                     .arg(QString::number(maxReplacements), arg));
    arg = out;
    return true;
}
