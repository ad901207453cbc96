#pragma once
// A prompt that records what it was shown and answers from a script.
#include <deque>
#include <string>
#include <vector>

#include "engine/prompt.h"

namespace testsupport {

class ScriptedPrompt : public engine::Prompt {
 public:
  void ShowMessage(const std::string& text, engine::PromptIcon) override { shown.push_back(text); }
  engine::PromptAnswer AskYesNo(const std::string& text, engine::PromptIcon) override {
    asked.push_back(text);
    if (answers.empty()) return engine::PromptAnswer::No;
    const engine::PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<engine::PromptAnswer> answers;
  std::vector<std::string> shown;
  std::vector<std::string> asked;
};

}  // namespace testsupport
