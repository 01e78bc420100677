// Ids of the phone face: controls of dialog 102, menu 149 items, bitmaps and icons.
// The ids are the face model's vocabulary; the skin turns bitmap and icon ids into
// pictures.
#pragma once

namespace orvane {

namespace Ctl {
constexpr int Ok = 1; // hidden default button
constexpr int Key1 = 1000;
constexpr int Key2 = 1001;
constexpr int Key3 = 1002;
constexpr int Key4 = 1003;
constexpr int Key5 = 1004;
constexpr int Key6 = 1005;
constexpr int Key7 = 1006;
constexpr int Key8 = 1007;
constexpr int Key9 = 1008;
constexpr int Key0 = 1009;
constexpr int KeyStar = 1010;
constexpr int KeyHash = 1011;
constexpr int ContactsTab = 1012;
constexpr int DialpadTab = 1013;
constexpr int CallLogsTab = 1014;
constexpr int VolumeSlider = 1018;
constexpr int VolPlus = 1020;
constexpr int VolMinus = 1021;
constexpr int MenuTab = 1022;
constexpr int F1 = 1023;
constexpr int Send = 1026;
constexpr int Mute = 1027;
constexpr int End = 1028;
constexpr int F2 = 1029;
constexpr int F3 = 1030;
constexpr int LinuxSecret = 1031;
constexpr int DisplayLine0 = 1033;
constexpr int DisplayLine1 = 1034;
constexpr int DisplayLine2 = 1035;
constexpr int DisplayLine3 = 1036;
constexpr int EntryEdit = 1037;
constexpr int NameEdit = 1038;
constexpr int UsbIcon = 1039;
constexpr int HdIcon = 1040;
constexpr int PhoneIcon = 1041;
constexpr int StatusIcon = 1042;
constexpr int DndIcon = 1044;
constexpr int BackKey = 1045;
constexpr int DeviceList = 1046;
constexpr int PhonebookList = 1047;
constexpr int EditKey = 1048;
constexpr int DeleteKey = 1049;
constexpr int NumberEdit = 1050;
constexpr int MenuList = 1051;
constexpr int CallLogList = 1052;
constexpr int PhoneOffIcon = 1053;
constexpr int NameLabel = 1054;
constexpr int NumberLabel = 1055;
} // namespace Ctl

namespace Menu {
constexpr int About = 32782;
constexpr int Enumerate = 32793;
constexpr int SetIp = 32794;
constexpr int Release = 32795;
constexpr int UsePrivateContacts = 32796;
constexpr int NameFirst = 32797;
constexpr int AttachPrivate = 32798;
constexpr int ReleasePrivate = 32799;
} // namespace Menu

// Bitmap resources of the skin.
namespace Bmp {
constexpr int None = 0;
constexpr int Key2 = 129;
constexpr int Key1 = 130;
constexpr int Key3 = 131;
constexpr int Key4 = 134;
constexpr int Key5 = 135;
constexpr int Key6 = 136;
constexpr int Key7 = 137;
constexpr int Key8 = 138;
constexpr int Key9 = 139;
constexpr int Key0 = 140;
constexpr int KeyStar = 141;
constexpr int KeyHash = 142;
constexpr int MenuGrey = 158;
constexpr int VolUp = 159;
constexpr int VolDown = 160;
constexpr int SendNormal = 164;
constexpr int EndNormal = 165;
constexpr int MuteKey = 166;
constexpr int Usb = 169;
constexpr int Hd = 170;
constexpr int Bell = 177;
constexpr int Logo = 178;
constexpr int Dnd = 179;
constexpr int ContactsGrey = 181;
constexpr int DialpadGrey = 182;
constexpr int Back = 183;
constexpr int Delete = 184;
constexpr int Edit = 185;
constexpr int New = 186;
constexpr int CallsGrey = 187;
constexpr int SendDisabled = 188;
constexpr int EndPressed = 189;
constexpr int SendPressed = 190;
constexpr int CallIn = 191;
constexpr int CallOut = 192;
constexpr int CallFailed = 194;
constexpr int CallBoth = 195;
constexpr int Speaker = 196;
constexpr int Microphone = 197;
constexpr int Blank = 198;
constexpr int Music = 199;
constexpr int Group = 200;
constexpr int Hold = 201;
constexpr int DoNotDisturb = 202;
constexpr int MicOff = 204;
constexpr int SpeakerOff = 205;
constexpr int Envelope = 206;
constexpr int Missed = 207;
constexpr int Info = 208;
constexpr int Phone = 209;
constexpr int PhoneOff = 210;
constexpr int Gear = 211;
constexpr int Save = 212;
constexpr int ContactsBlue = 213;
constexpr int CallsBlue = 214;
constexpr int MenuBlue = 215;
constexpr int DialpadBlue = 216;
} // namespace Bmp

// Icon resources (16 x 16 list images and the window icon). Ids 177 to 179 name both
// an icon and a bitmap; they are different pictures.
namespace Ico {
constexpr int App = 128;
constexpr int CallIncoming = 175; // green arrow pointing left
constexpr int CallOutgoing = 176; // red arrow pointing right
constexpr int CallMissed = 177;   // red handset over a grey cross
constexpr int DeviceBusy = 178;   // red no-entry disc
constexpr int DeviceFree = 179;   // green disc with check mark
} // namespace Ico

} // namespace orvane
