#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/background_watch.h"

namespace morvel::testing {

// Polls a job from the test's thread as the window does, keeps the progress lines and acts once
// `after` pieces have run (a Cancel, a folder taken away).
class ActingWatch : public BackgroundWatch {
public:
    int after = 1;
    std::function<void(BackgroundJob&)> act;
    std::vector<std::string> labels;

    void watch(std::unique_ptr<BackgroundJob> job, BackgroundTexts texts,
               std::function<void()> over) override {
        bool acted = false;
        while (job->poll()) {
            labels.push_back(texts.label(job->done(), job->total()));
            if (!acted && job->done() >= after && act) {
                act(*job);
                acted = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        over();
    }
};

}  // namespace morvel::testing
