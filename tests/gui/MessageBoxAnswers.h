#pragma once

#include "TbsSkinMessage.h"

#include <vector>

// Answers message boxes instead of showing them, for as long as it lives: each
// box is recorded and takes the next queued answer, or 2 (closed without a
// button) when none is left.
struct AnsweredMessageBoxes {
    std::vector<TMessageBoxCall> calls;
    std::vector<int> answers;

    AnsweredMessageBoxes()
    {
        TbsSkinMessage::setHook([this](const TMessageBoxCall &call) {
            calls.push_back(call);
            if (answers.empty())
                return MsgClosedResult;
            const int answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        });
    }
    ~AnsweredMessageBoxes() { TbsSkinMessage::setHook({}); }
    AnsweredMessageBoxes(const AnsweredMessageBoxes &) = delete;
    AnsweredMessageBoxes &operator=(const AnsweredMessageBoxes &) = delete;
};
