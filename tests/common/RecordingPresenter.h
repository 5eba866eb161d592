#pragma once
// A message presenter for tests: records every box and answers with scripted buttons.

#include "base/Message.h"

#include <deque>
#include <string>
#include <vector>

struct RecordedBox {
    std::string caption;
    std::string text;
    std::uint32_t style = 0;
    int currentId = 0; // CurrentMessageId() while the box was up
};

class RecordingPresenter : public cMessagePresenter {
public:
    RecordingPresenter() { SetMessagePresenter(this); }
    ~RecordingPresenter() override { SetMessagePresenter(nullptr); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int Present(const std::string& caption, const std::string& text,
                std::uint32_t style) override {
        boxes.push_back({caption, text, style, CurrentMessageId()});
        if (answers.empty())
            return ResultOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<RecordedBox> boxes;
    std::deque<int> answers; // buttons to press, in order; ResultOk when empty
};
