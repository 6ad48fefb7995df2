#include "app/messages.h"

namespace ktv {

const char* const kProgramTitle = "擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3";
const char* const kFullTitle = "擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3 ver2.10";

void MessageSink::Inform(const std::string& text) {
  Beep();
  Show(MessageIcon::Information, MessageButtons::Ok, kFullTitle, text);
}

MessageAnswer RecordingMessageSink::Show(MessageIcon icon, MessageButtons buttons,
                                         const std::string& title, const std::string& text) {
  shown.push_back({icon, buttons, title, text});
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
}

}  // namespace ktv
