#pragma once
// Questions and messages that engine code shows. The batch run, the window and tests each answer
// them their own way. Texts arrive translated.
#include <string>

namespace engine {

enum class PromptIcon { Information, Warning, Error, Question };
enum class PromptAnswer { Yes, No };

class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual void ShowMessage(const std::string& text, PromptIcon icon) = 0;
  // A question with the buttons Yes and No.
  [[nodiscard]] virtual PromptAnswer AskYesNo(const std::string& text, PromptIcon icon) = 0;
};

// Answers every question with a fixed answer and shows nothing; for callers that ask nobody.
class SilentPrompt : public Prompt {
 public:
  explicit SilentPrompt(PromptAnswer answer = PromptAnswer::No) : answer_(answer) {}
  void ShowMessage(const std::string&, PromptIcon) override {}
  PromptAnswer AskYesNo(const std::string&, PromptIcon) override { return answer_; }

 private:
  PromptAnswer answer_;
};

}  // namespace engine
