// The main window's description, read by both window front ends: the window's size and caption,
// every control's name, kind, place, size and initial text, and the default signature text.
// Texts come twice: UTF-8 for Qt, GBK bytes for the Windows edition's -A calls.
#ifndef QUARNEL_UI_WINDOW_DESCRIPTION_H_
#define QUARNEL_UI_WINDOW_DESCRIPTION_H_

#include <array>
#include <string_view>

namespace quarnel::ui {

struct LocalText {
  std::string_view utf8;
  std::string_view gbk;
};

enum class ControlKind { kEdit, kLabel, kButton, kDropObject, kCommonDialog };

struct ControlDescription {
  LocalText name;
  ControlKind kind;
  int left, top, width, height;  // client-area pixels
  LocalText initial_text;        // the signature box's comes from kDefaultSignatureText
  bool visible;
  bool tab_stop;
};

inline constexpr int kWindowOuterWidth = 457;
inline constexpr int kWindowOuterHeight = 357;
inline constexpr int kClientWidth = 451;
inline constexpr int kClientHeight = 332;

// Followed by the support contact.
inline constexpr LocalText kCaptionStart = {
    "Quarnel  -使用帮助联系",
    "Quarnel  -\xca\xb9\xd3\xc3\xb0\xef\xd6\xfa\xc1\xaa\xcf\xb5"};
inline constexpr std::string_view kSupportContact = "quarnel@users.noreply.example";

inline constexpr LocalText kNoticeCaption = {"信息：", "\xd0\xc5\xcf\xa2\xa3\xba"};
inline constexpr LocalText kNoFolderNotice = {
    "请把要检测的目录托到这里",
    "\xc7\xeb\xb0\xd1\xd2\xaa\xbc\xec\xb2\xe2\xb5\xc4\xc4\xbf\xc2\xbc\xcd\xd0\xb5\xbd\xd5\xe2\xc0\xef"};

// Control names.
inline constexpr LocalText kResultsBox = {"编辑框1", "\xb1\xe0\xbc\xad\xbf\xf2\x31"};
inline constexpr LocalText kDropObject = {"拖放对象1", "\xcd\xcf\xb7\xc5\xb6\xd4\xcf\xf3\x31"};
inline constexpr LocalText kDropLabel = {"标签2", "\xb1\xea\xc7\xa9\x32"};
inline constexpr LocalText kHeadingLabel = {"标签1", "\xb1\xea\xc7\xa9\x31"};
inline constexpr LocalText kCommonDialog = {"通用对话框1",
                                            "\xcd\xa8\xd3\xc3\xb6\xd4\xbb\xb0\xbf\xf2\x31"};
inline constexpr LocalText kSignatureBox = {
    "编辑框_特征文本", "\xb1\xe0\xbc\xad\xbf\xf2\x5f\xcc\xd8\xd5\xf7\xce\xc4\xb1\xbe"};
inline constexpr LocalText kStartButton = {
    "按钮_寻找特征文本", "\xb0\xb4\xc5\xa5\x5f\xd1\xb0\xd5\xd2\xcc\xd8\xd5\xf7\xce\xc4\xb1\xbe"};

// The pink of 标签2.
inline constexpr int kDropLabelRed = 255, kDropLabelGreen = 128, kDropLabelBlue = 192;

// In the order of the description.
inline constexpr std::array<ControlDescription, 7> kControls = {{
    {kResultsBox, ControlKind::kEdit, 0, 280, 448, 48, {"", ""}, true, true},
    {kDropObject, ControlKind::kDropObject, 264, 104, 24, 16, {"", ""}, false, false},
    {kDropLabel, ControlKind::kLabel, 256, 120, 184, 96,
     {"请拖放检测的文件夹到这里",
      "\xc7\xeb\xcd\xcf\xb7\xc5\xbc\xec\xb2\xe2\xb5\xc4\xce\xc4\xbc\xfe\xbc\xd0\xb5\xbd\xd5\xe2\xc0\xef"},
     true, false},
    {kHeadingLabel, ControlKind::kLabel, 32, 8, 176, 16,
     {"木马特征字符串", "\xc4\xbe\xc2\xed\xcc\xd8\xd5\xf7\xd7\xd6\xb7\xfb\xb4\xae"}, true, false},
    {kCommonDialog, ControlKind::kCommonDialog, 248, 8, 26, 26, {"", ""}, false, false},
    {kSignatureBox, ControlKind::kEdit, 8, 24, 224, 248, {"", ""}, true, true},
    {kStartButton, ControlKind::kButton, 272, 40, 120, 32,
     {"开始查杀", "\xbf\xaa\xca\xbc\xb2\xe9\xc9\xb1"}, true, true},
}};

// The signature box's initial text: eight signatures, "\r\n" between them, none after the last.
inline constexpr std::string_view kDefaultSignatureText =
    "W0BldmFsKGJhc2U2NF9kZWNvZGUoJF9QT1NUW3owXSkpO10=\r\n"
    "axsxsxexrxt\r\n"
    "shellname\r\n"
    "'xxdd'\r\n"
    "explode(\"x\"\r\n"
    "@extract\r\n"
    "xbshell\r\n"
    "eval(";

}  // namespace quarnel::ui

#endif  // QUARNEL_UI_WINDOW_DESCRIPTION_H_
