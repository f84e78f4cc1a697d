#include "app/logging.h"

// QtInfoMsg: debug lines are filtered out unless a rule turns them on.
Q_LOGGING_CATEGORY(lcLink, "velon.link", QtInfoMsg)
Q_LOGGING_CATEGORY(lcParams, "velon.params", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEditor, "velon.editor", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFiles, "velon.files", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "velon.settings", QtInfoMsg)

bool logging::applyArguments(const QStringList &arguments)
{
    if (!arguments.mid(1).contains("--verbose"))
        return false;
    // Rules from QT_LOGGING_RULES still come after these and win.
    QLoggingCategory::setFilterRules("velon.*.debug=true");
    return true;
}
