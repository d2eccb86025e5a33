#include "engine/core/cgi_form_data.h"

#include "engine/core/http_engine.h"
#include "engine/form/multipart.h"
#include "platform/text/convert.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

// A urlencoded body that ended before its declared length keeps only the pairs that were
// followed by "&": the last one may have been cut.
std::string CompletePairs(std::string body, bool cut) {
    if (cut) {
        const size_t last = body.rfind('&');
        body.resize(last == std::string::npos ? 0 : last);
    }
    const size_t zero = body.find('\0');
    if (zero != std::string::npos) body.resize(zero);
    return body;
}

}  // namespace

std::string ReadCgiFormData(THttpEngine& engine) {
    const std::string lengthText = engine.GetVariable("CONTENT_LENGTH");
    const int length = lengthText.empty() ? 0 : StrToInt(lengthText);
    if (length <= 0) return engine.GetQueryString();
    if (length > engine.AutoReadLimit) {
        engine.LogError("Content length exceeds AutoReadLimit");
        return "";
    }
    if (!engine.AutoReadInput) return "";
    std::string data;
    if (IsMultipartForm(engine.GetVariable("CONTENT_TYPE"))) {
        engine.ReadMultipartInput(data);
        return data;
    }
    data.resize(static_cast<size_t>(length));
    const int got = engine.ReadClient(data.data(), length);
    data.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return CompletePairs(std::move(data), got < length);
}

}  // namespace tallyhouse::engine
