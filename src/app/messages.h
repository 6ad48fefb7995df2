#pragma once
// Message boxes go through this interface so that tests can answer and record them.
#include <string>
#include <vector>

namespace ktv {

enum class MessageIcon { Information, Warning, Question, Critical };
// SaveDiscardCancel: "保存" answers Yes, "保存しない" No, "キャンセル" Cancel.
enum class MessageButtons { Ok, YesNo, YesNoCancel, SaveDiscardCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Beep() = 0;
  // Shows a message box; returns the button pressed.
  virtual MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                             const std::string& text) = 0;

  // The usual sequence of the program: a beep, then an information box titled MessageTitle.
  void Inform(const std::string& text);
};

// Title of every message box: the program title and its version.
extern const char* const kProgramTitle;  // "擁壁計算ﾌﾟﾛｸﾞﾗﾑ　KTV-PN3"
extern const char* const kFullTitle;     // program title + " ver" + "2.10"

// A sink that only records; used by the batch tool and by tests.
class RecordingMessageSink : public MessageSink {
 public:
  struct Entry {
    MessageIcon icon;
    MessageButtons buttons;
    std::string title;
    std::string text;
  };
  void Beep() override { ++beeps; }
  MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                     const std::string& text) override;
  int beeps = 0;
  std::vector<Entry> shown;
  MessageAnswer answer = MessageAnswer::Yes;  // answer given to questions
};

}  // namespace ktv
