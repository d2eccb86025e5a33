// An engine that serves a request made up in the test: variables from a map, form data from a
// string, the body from a string, and everything sent to the client collected in Output.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "engine/form/form_fields.h"
#include "engine/core/http_engine.h"

class TTestEngine : public tallyhouse::engine::THttpEngine {
public:
    std::map<std::string, std::string> Variables;  // by engine-neutral name ("SERVER SOFTWARE")
    std::string FormData;
    std::string Body;
    std::string Output;

    void ExecRequest() override {
        if (OnExecRequest) OnExecRequest(*this);
    }
    std::string GetVariable(const std::string& Name) override {
        const auto found = Variables.find(Name);
        return found == Variables.end() ? std::string() : found->second;
    }
    std::string GetField(const std::string& Name, const std::string& Default) override {
        return tallyhouse::engine::FindField(FormData, Name, Default);
    }
    std::vector<std::string> GetFieldNames() override { return tallyhouse::engine::FieldNames(FormData); }
    int ReadClient(void* Buffer, int Count) override {
        const size_t n = std::min(Body.size() - read_, static_cast<size_t>(Count));
        Body.copy(static_cast<char*>(Buffer), n, read_);
        read_ += n;
        return static_cast<int>(n);
    }
    bool IsActive() override { return true; }

    // Runs one request whose handler is `handler` and returns what the client received.
    std::string Serve(std::function<void()> handler) {
        Output.clear();
        OnExecRequest = [handler](tallyhouse::engine::THttpEngine&) { handler(); };
        ProcessRequest();
        return Output;
    }

protected:
    void SendToClient(const char* Data, size_t Count) override { Output.append(Data, Count); }

private:
    size_t read_ = 0;
};
