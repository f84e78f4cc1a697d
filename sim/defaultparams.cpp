#include "sim/simmodem.h"

// The modem's factory set, apart from the modem itself: the stand-in that reaches a modem over the
// simulator's runner (on Windows) gives the same set.
namespace sim {

ParamList SimModem::defaultParams()
{
    return {{"SETCOM", "9600,8,N,1,0"},
            {"SETRS", "19200,8,E,1,0"},
            {"SETCAN", "115200,8,N,1,0"},
            {"SETSIM1", "3759,gdata,gdata,internet"},
            {"SETSIM2", "1234,mts,mts,internet.mts.ru"},
            {"ADMTEL1", "+79161234567"},
            {"ADMTEL2", "+79037654321"},
            {"ADMTEL3", ""},
            {"ADMTEL4", ""},
            {"ADMTEL5", ""},
            {"CSDTEL1", "+79161112233"},
            {"CSDTEL2", ""},
            {"CSDTEL3", ""},
            {"CSDTEL4", ""},
            {"CSDTEL5", ""},
            {"SETURL1", "93.184.216.34,502,10"},
            {"SETURL2", "telemetry.example.net,8080,60"},
            {"SETURL3", ",1,0"},
            {"SETURL4", ",1,0"},
            {"SETURL5", ",1,0"},
            {"SETCONF", "1,1,0,1,1,0"},
            {"SETID", "1,OBJ-17"},
            {"SETLOG", "0"},
            {"SETCSD", "7,0,1"},
            {"PASSET", "KVR38"},
            {"SERVER", "0,502,30,24"}};
}

} // namespace sim
