#include "params/loadback.h"

#include "files/paramfile.h"
#include "params/linecodec.h"
#include "params/paramcheck.h"
#include "params/records.h"

#include <QCoreApplication>

namespace loadback {

QString blockingMessage(const QStringList &recordTexts)
{
    // The very path of a file load: the saved bytes, their decoding, the line codec, the parser, the checks.
    const QByteArray bytes = linecodec::encode(
        paramfile::withoutLineBreaks(paramfile::fileText(paramfile::fileBytes(recordTexts))));
    if (bytes.isEmpty())
        return QCoreApplication::translate("MainWindow", "Ошибка чтения данных");
    const QMap<QString, QString> params = records::toParamsMap(records::splitRecords(bytes));
    for (const paramcheck::Step &step : paramcheck::validate(params)) {
        if (step.kind == paramcheck::Step::Stop ||
            (step.kind == paramcheck::Step::Warn && step.keepsPrevious))
            return step.text;
        // The settings window refuses it and keeps the password it had.
        if (step.kind == paramcheck::Step::Emit && step.target == "PASSET" &&
            !paramcheck::passwordLengthAllowed(step.text))
            return paramcheck::passwordLengthMessage();
    }
    return QString();
}

} // namespace loadback
