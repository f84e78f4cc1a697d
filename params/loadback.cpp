#include "params/loadback.h"

#include "files/paramfile.h"
#include "params/formrecords.h"
#include "params/records.h"

namespace loadback {

QString blockingMessage(const QStringList &recordTexts)
{
    // The very path of a file load: the saved bytes, their decoding, the line codec, the parser, the checks.
    const QByteArray bytes = paramfile::setBytes(paramfile::fileBytes(recordTexts));
    if (bytes.isEmpty())
        return paramfile::emptySetMessage();
    return formrecords::apply(formrecords::startup(), records::toParamsMap(records::splitRecords(bytes)))
        .refusal;
}

Taken freshTake(const QMap<QString, QString> &params)
{
    const formrecords::Outcome outcome = formrecords::apply(formrecords::startup(), params);
    Taken taken{outcome.messages, outcome.refusal, QStringList()};
    if (taken.refusal.isEmpty())
        taken.refusal = blockingMessage(outcome.form.recordTexts);
    if (taken.refusal.isEmpty())
        taken.recordTexts = outcome.form.recordTexts;
    else if (outcome.refusal.isEmpty())
        taken.messages.append(taken.refusal);
    return taken;
}

} // namespace loadback
