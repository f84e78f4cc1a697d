#pragma once

#include <QString>
#include <QStringList>

// The record texts a fresh main window holds before any read, load or edit, in the order of a file's lines.
inline const QStringList &freshWindowRecords()
{
    static const QStringList records{"SETCOM=300,7,N,1,0;", "SETRS=300,7,N,1,0;", "SETCAN=300,7,N,1,0;",
                                     "SETSIM1=3759,,,;",    "SETSIM2=3759,,,;",   "ADMTEL1=;",
                                     "ADMTEL2=;",           "ADMTEL3=;",          "ADMTEL4=;",
                                     "ADMTEL5=;",           "CSDTEL1=;",          "CSDTEL2=;",
                                     "CSDTEL3=;",           "CSDTEL4=;",          "CSDTEL5=;",
                                     "SETURL1=,1,0;",       "SETURL2=,1,0;",      "SETURL3=,1,0;",
                                     "SETURL4=,1,0;",       "SETURL5=,1,0;",      "SETCONF=0,0,0,0,0,0;",
                                     "SETID=0,;",           "SETLOG=0;",          "SETCSD=7,0,1;",
                                     "PASSET=KVR38;",       "SERVER=0,1,1,1;"};
    return records;
}
