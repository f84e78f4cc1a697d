#pragma once

#include <QLoggingCategory>
#include <QStringList>

// The program's own developer diagnostics, one category per area. They are off unless asked for: with
// --verbose on the command line or through QT_LOGGING_RULES (for example "velon.link.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcParams)
Q_DECLARE_LOGGING_CATEGORY(lcEditor)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

namespace logging {
// Turns every category above on when the arguments hold --verbose; says whether they did.
bool applyArguments(const QStringList &arguments);
} // namespace logging
