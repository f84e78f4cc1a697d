#pragma once

#include <QString>

// What the editing handlers turn a widget's value into: the codes the records carry for the names the form
// shows, and the records whose form is more than the key and its fields. Nothing here touches a widget.
namespace recordbuilder {

// "0", "1", "2" for "Не установлена", "Авто", "Ручной"; an empty text for anything else.
QString simModeCode(const QString &name);
// "0", "1" for "SIM1", "SIM2"; an empty text for anything else.
QString prioritySimCode(const QString &name);
// An "Активен" button's state as its SETCONF field.
QString activeCode(bool checked);
// The SERVER mode field after a click on "Клиент" (client) or "Сервер" (server) with the given state.
QString serverModeAfterClientClick(bool checked);
QString serverModeAfterServerClick(bool checked);

// The modem takes 0 (no reports) or 10 to 1440 minutes: 1 to 9 are lifted to this.
constexpr int shortestInterval = 10;
// True for an interval spin box value that has to be lifted to shortestInterval.
bool intervalNeedsLift(int minutes);
// The record's interval field for a spin box value: the box may hold 1 to 9 while the engineer types, the
// record never does.
QString intervalField(int minutes);

// SETCAN has no flow control: its fifth field is reserved and always "0".
QString canRecord(const QString &baudRate, const QString &dataBits, const QString &parity,
                  const QString &stopBits);

} // namespace recordbuilder
