#include "verdict.h"

#include "params/records.h"

#include <QRegularExpression>

#include <cstdio>

namespace soak {

bool holds(const Set &stored, const Set &written)
{
    for (const QString &key : records::paramsKeyList()) {
        if (!stored.contains(key) || stored.value(key) != written.value(key))
            return false;
    }
    return true;
}

Outcome classify(const Set &written, const Set &stored, const Claim &claim)
{
    if (claim.hung)
        return Outcome::Hang;
    if (claim.crashed)
        return Outcome::Crash;
    for (const QString &key : claim.mismatchedKeys) {
        if (stored.contains(key) && stored.value(key) == written.value(key))
            return Outcome::FalseMismatch;
    }
    if (claim.success)
        return holds(stored, written) ? Outcome::Held : Outcome::FalseSuccess;
    return Outcome::TruthfulFailure;
}

QStringList mismatchedKeys(const QString &message)
{
    if (!message.contains(QStringLiteral("записан некорректно")))
        return {};
    QStringList keys;
    for (const QString &key : records::paramsKeyList()) {
        if (message.contains(QRegularExpression("\\b" + key + "\\b")))
            keys.append(key);
    }
    return keys;
}

Claim cliClaim(bool hung, bool crashed, int exitCode, const QString &standardError)
{
    Claim claim;
    claim.hung = hung;
    claim.crashed = crashed && !hung;
    claim.success = !hung && !crashed && exitCode == 0;
    for (const QString &line : standardError.split('\n'))
        claim.mismatchedKeys += mismatchedKeys(line);
    return claim;
}

Claim windowClaim(bool hung, const QString &statusLine, const QStringList &boxTexts)
{
    Claim claim;
    claim.hung = hung;
    // A link lost after the write adds to its verdict: the verdict stays first.
    claim.success = !hung && statusLine.startsWith(QStringLiteral("Записаны в модем и проверены"));
    for (const QString &text : boxTexts)
        claim.mismatchedKeys += mismatchedKeys(text);
    return claim;
}

bool askedAboutUnedited(const QStringList &boxTexts)
{
    for (const QString &text : boxTexts) {
        if (text.startsWith(QStringLiteral("Набор в модеме отличается от прочитанного")))
            return true;
    }
    return false;
}

bool readWhole(const QString &statusLine)
{
    // Edits the read replaced went to the history first, which is said after it: still a whole read.
    static const QRegularExpression editsKept(
        QStringLiteral("; прежние изменения сохранены в истории в \\d\\d:\\d\\d:\\d\\d$"));
    const QString line = QString(statusLine).remove(editsKept);
    return line.startsWith(QStringLiteral("Прочитаны из модема")) &&
           !line.contains(QStringLiteral("не полностью")) && !line.contains(QStringLiteral("; "));
}

QStringList damagedKeys(const Set &formAfterRead, const Set &modemAtRead, const QString &editedKey)
{
    QStringList keys;
    for (const QString &key : records::paramsKeyList()) {
        if (key != editedKey && formAfterRead.value(key) != modemAtRead.value(key))
            keys.append(key);
    }
    return keys;
}

bool damageStored(const QStringList &damaged, const Set &formAfterRead, const Set &stored)
{
    for (const QString &key : damaged) {
        if (stored.value(key) == formAfterRead.value(key))
            return true;
    }
    return false;
}

void describeCycle(const char *program, int cycle, const sim::Fault &fault,
                   const QVector<sim::FaultEvent> &events, const Set &written, const Set &stored,
                   Outcome outcome, const QStringList &notes)
{
    static const char *const names[] = {"held", "truthful failure", "FALSE SUCCESS", "FALSE MISMATCH", "HANG",
                                        "CRASH"};
    const auto shown = [](const QByteArray &bytes) {
        return QString::fromLatin1(bytes.toPercentEncoding(" =;,.+:"));
    };
    // One pass of arg(): the bytes shown may hold "%1".
    QString text = QString("%1 cycle %2: %3 on %4 after %5 (offset %6, %7 ms) -> %8\n")
                       .arg(QString::fromLatin1(program), QString::number(cycle), sim::faultName(fault.kind),
                            shown(fault.target), fault.after.isEmpty() ? "-" : shown(fault.after),
                            QString::number(fault.offset), QString::number(fault.ms), names[int(outcome)]);
    for (const sim::FaultEvent &e : events) {
        if (e.before == e.after) {
            text += QString("  at %1 ms: a reply of %2 bytes held back\n")
                        .arg(QString::number(e.atMs, 'f', 0), QString::number(e.before.size()));
            continue;
        }
        // Only where before and after part.
        int from = 0;
        while (from < e.before.size() && from < e.after.size() && e.before.at(from) == e.after.at(from))
            ++from;
        const int start = qMax(0, from - 20);
        text += QString("  at %1 ms: ...%2... became ...%3...\n")
                    .arg(QString::number(e.atMs, 'f', 0), shown(e.before.mid(start, 40)),
                         shown(e.after.mid(start, 40)));
    }
    for (const QString &key : records::paramsKeyList()) {
        if (stored.value(key) != written.value(key))
            text += QString("  %1: written \"%2\", stored \"%3\"\n")
                        .arg(key, written.value(key), stored.value(key));
    }
    for (const QString &line : notes)
        text += "  " + line + "\n";
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

void Tally::add(sim::Fault::Kind kind, bool fired, Outcome outcome)
{
    Row &r = rows[kind];
    ++r.cycles;
    r.fired += fired ? 1 : 0;
    ++r.outcomes[int(outcome)];
}

Tally::Row Tally::total() const
{
    Row t;
    for (const Row &r : rows) {
        t.cycles += r.cycles;
        t.fired += r.fired;
        for (int i = 0; i < outcomeCount; ++i)
            t.outcomes[i] += r.outcomes[i];
        t.damagedUnasked += r.damagedUnasked;
        t.asked += r.asked;
        t.mostBoxes = qMax(t.mostBoxes, r.mostBoxes);
    }
    return t;
}

QString Tally::table(bool window) const
{
    QStringList head{"fault",
                     "cycles",
                     "fired",
                     "held (success, true)",
                     "truthful failure",
                     "false success",
                     "false \"записан некорректно\"",
                     "hang",
                     "crash"};
    if (window)
        head << "damaged read written unasked"
             << "question asked"
             << "most boxes";
    const auto line = [&](const QString &name, const Row &r) {
        QStringList cells{name, QString::number(r.cycles), QString::number(r.fired)};
        for (int i = 0; i < outcomeCount; ++i)
            cells << QString::number(r.outcomes[i]);
        if (window)
            cells << QString::number(r.damagedUnasked) << QString::number(r.asked)
                  << QString::number(r.mostBoxes);
        return "| " + cells.join(" | ") + " |\n";
    };
    QString text = "| " + head.join(" | ") + " |\n|---|";
    for (int i = 1; i < head.size(); ++i)
        text += "---:|";
    text += "\n";
    QVector<sim::Fault::Kind> order{sim::Fault::Kind::None};
    order += sim::faultKinds();
    for (sim::Fault::Kind kind : order) {
        if (rows.contains(kind))
            text += line(sim::faultName(kind), rows.value(kind));
    }
    return text + line("**all**", total());
}

} // namespace soak
