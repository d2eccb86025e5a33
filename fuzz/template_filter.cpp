// Fuzzes the template filter: the input is the page; conditions are decided from the length of
// their names, and a few form fields are there to be found.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/form/form_fields.h"
#include "engine/core/http_engine.h"
#include "engine/core/template_filter.h"

using namespace tallyhouse::engine;

namespace {

class TFuzzEngine : public THttpEngine {
public:
    std::string Output;
    void ExecRequest() override {}
    std::string GetVariable(const std::string& Name) override { return Name == "V" ? "<v>" : ""; }
    std::string GetField(const std::string& Name, const std::string& Default) override {
        return FindField("a=1&b=%3C2%3E&a=3", Name, Default);
    }
    std::vector<std::string> GetFieldNames() override { return FieldNames("a=1&b=2"); }
    bool IsActive() override { return true; }

protected:
    void SendToClient(const char* Data, size_t Count) override {
        if (Output.size() < 1000000) Output.append(Data, Count);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzEngine engine;
    engine.MakeCurrent();
    engine.Output.clear();
    THttpMemoFilter filter;
    filter.OnHttpLogicalEntry = [](const std::string& name, bool& value) { value = name.size() % 2 == 1; };
    filter.OnHttpEntry = [](const std::string& name, bool& handled) { handled = name == "message"; };
    filter.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    filter.Execute();
    return 0;
}
