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

} // namespace loadback
