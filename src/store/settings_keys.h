#pragma once

#include <QString>

// Every section and key of the settings file "VARKEL.INI", with what a missing value means.
namespace varkel::settings {

inline QString FileName() {
    return QStringLiteral("VARKEL.INI");
}

inline QString Help() {
    return QStringLiteral("HELP");
}
inline QString Url() {
    return QStringLiteral("URL");
}  // empty: the help file beside the program

inline QString Window() {
    return QStringLiteral("WINDOW");
}
inline QString Main() {
    return QStringLiteral("MAIN");
}  // empty: design size, centred
inline QString Hist() {
    return QStringLiteral("HIST");
}  // empty: centred
inline QString Temp() {
    return QStringLiteral("TEMP");
}  // empty: centred
inline QString ToolBar() {
    return QStringLiteral("ToolBar");
}  // switch, default off
inline QString StatusBar() {
    return QStringLiteral("StatusBar");
}  // switch, default off
inline QString KwdList() {
    return QStringLiteral("KwdList");
}  // switch, default off
inline QString Con2Title() {
    return QStringLiteral("Con2Title");
}  // switch, default off

inline QString ConnHist() {
    return QStringLiteral("CONNHIST");
}
inline QString Save() {
    return QStringLiteral("SAVE");
}  // switch, default off
constexpr int kConnHistSlots = 20;  // keys "1" … "20", newest at "1"

inline QString Set() {
    return QStringLiteral("SET");
}
inline QString MaxHist() {
    return QStringLiteral("MAXHIST");
}  // 20 … 999, else 20
inline QString Editor() {
    return QStringLiteral("EDITOR");
}  // empty: no external editor

// A switch is on only when it is exactly "ON"; it is written as "ON" or "OFF".
inline bool SwitchOn(const QString& value) {
    return value == QStringLiteral("ON");
}
inline QString SwitchText(bool on) {
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

}  // namespace varkel::settings
