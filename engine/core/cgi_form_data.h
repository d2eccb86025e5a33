// How a CGI-style engine obtains a request's form data: the query string when no body is
// declared, else the body of "CONTENT_LENGTH" bytes read through ReadClient (a multipart body
// converted), within AutoReadLimit. The standard CGI and the FastCGI engines share it, so both
// read a request the same way.
#pragma once

#include <string>

namespace tallyhouse::engine {

class THttpEngine;

std::string ReadCgiFormData(THttpEngine& engine);

}  // namespace tallyhouse::engine
