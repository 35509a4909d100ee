// expat driven from a zip member. A handler's exception is carried across
// expat's C frames by stopping the parser and raising it afterwards.
#include "tables/xml_stream.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <memory>

#include "input/data_refused.h"

namespace talvex {

namespace {

std::string_view LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon != nullptr ? std::string_view(colon + 1) : std::string_view(name);
}

struct TParserFree {
  void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};

struct TParseState {
  XML_Parser parser = nullptr;
  TXmlHandler* handler = nullptr;
  std::exception_ptr failure;
  bool doctype = false;
  int depth = 0;
  bool tooDeep = false;
};

template <typename TCall>
void Guarded(void* data, TCall call) {
  auto* state = static_cast<TParseState*>(data);
  if (state->failure) return;
  try {
    call(*state);
  } catch (...) {
    state->failure = std::current_exception();
    XML_StopParser(state->parser, XML_FALSE);
  }
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* state = static_cast<TParseState*>(data);
  // The parser keeps every open element; a file of unclosed elements would
  // fill the memory before it ends.
  if (++state->depth > MaxXmlDepth) {
    state->tooDeep = true;
    XML_StopParser(state->parser, XML_FALSE);
    return;
  }
  Guarded(data, [&](TParseState& s) { s.handler->StartElement(LocalName(name), attributes); });
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  --static_cast<TParseState*>(data)->depth;
  Guarded(data, [&](TParseState& s) { s.handler->EndElement(LocalName(name)); });
}

void XMLCALL OnCharacters(void* data, const XML_Char* text, int length) {
  Guarded(data, [&](TParseState& s) {
    s.handler->Characters(std::string_view(text, static_cast<std::size_t>(length)));
  });
}

// Workbook parts never declare a document type; one that does is refused
// before any entity it defines can be expanded.
void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto* state = static_cast<TParseState*>(data);
  state->doctype = true;
  XML_StopParser(state->parser, XML_FALSE);
}

}  // namespace

const char* FindAttribute(const char** attributes, std::string_view name) {
  for (const char** a = attributes; a != nullptr && a[0] != nullptr; a += 2) {
    if (LocalName(a[0]) == name) return a[1];
  }
  return nullptr;
}

void ParseXmlMember(TZipContainer& zip, const std::string& member, TXmlHandler& handler) {
  std::unique_ptr<XML_ParserStruct, TParserFree> parser(XML_ParserCreate("UTF-8"));
  if (!parser) throw std::bad_alloc();
  TParseState state;
  state.parser = parser.get();
  state.handler = &handler;
  XML_SetUserData(parser.get(), &state);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnCharacters);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);

  const auto check = [&](XML_Status status) {
    if (state.failure) std::rethrow_exception(state.failure);
    if (state.doctype) {
      EDataRefused error("Damaged workbook");
      error.SetDetail(member + " declares a document type");
      throw error;
    }
    if (state.tooDeep) {
      EDataRefused error("Damaged workbook");
      error.SetDetail(member + ", line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                      ": elements nested deeper than " + std::to_string(MaxXmlDepth));
      throw error;
    }
    if (status != XML_STATUS_OK) {
      EDataRefused error("Damaged workbook");
      error.SetDetail(member + ", line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                      ": " + XML_ErrorString(XML_GetErrorCode(parser.get())));
      throw error;
    }
  };
  zip.Stream(member, [&](std::string_view block) {
    check(XML_Parse(parser.get(), block.data(), static_cast<int>(block.size()), XML_FALSE));
  });
  check(XML_Parse(parser.get(), "", 0, XML_TRUE));
}

}  // namespace talvex
