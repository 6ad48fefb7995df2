#include "pdf_inspect.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <stdexcept>

namespace ktv {
namespace {

using Obj = QPDFObjectHandle;

void Walk(std::vector<QPDFOutlineObjectHelper> items, int level,
          const std::vector<QPDFPageObjectHelper>& pages, std::vector<PdfBookmark>& out) {
  for (QPDFOutlineObjectHelper& item : items) {
    PdfBookmark b;
    b.title = item.getTitle();
    b.level = level;
    Obj dest = item.getDest();
    if (dest.isArray() && dest.getArrayNItems() >= 4) {
      const QPDFObjGen target = dest.getArrayItem(0).getObjGen();
      for (size_t i = 0; i < pages.size(); ++i) {
        if (pages[i].getObjectHandle().getObjGen() == target) b.page = static_cast<int>(i);
      }
      Obj top = dest.getArrayItem(3);
      if (top.isNumber()) b.top = top.getNumericValue();
    }
    out.push_back(b);
    Walk(item.getKids(), level + 1, pages, out);
  }
}

bool HasProgram(Obj font) {
  Obj descriptor = font.getKey("/FontDescriptor");
  if (!descriptor.isDictionary()) return false;
  for (const char* key : {"/FontFile", "/FontFile2", "/FontFile3"}) {
    if (descriptor.getKey(key).isStream()) return true;
  }
  return false;
}

}  // namespace

PdfFacts InspectPdf(const std::string& path) {
  PdfFacts facts;
  QPDF pdf;
  pdf.setSuppressWarnings(true);
  try {
    pdf.processFile(path.c_str());
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
  const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
  facts.pages = static_cast<int>(pages.size());
  QPDFOutlineDocumentHelper outlines(pdf);
  Walk(outlines.getTopLevelOutlines(), 1, pages, facts.bookmarks);

  Obj info = pdf.getTrailer().getKey("/Info");
  if (info.isDictionary()) {
    for (const std::string& key : info.getKeys()) {
      Obj value = info.getKey(key);
      if (value.isString()) facts.info[key] = value.getUTF8Value();
    }
  }
  Obj root = pdf.getRoot();
  Obj metadata = root.getKey("/Metadata");
  if (metadata.isStream()) {
    auto data = metadata.getStreamData();
    facts.xmp.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    facts.xmp_filtered = metadata.getDict().hasKey("/Filter");
  }
  Obj id = pdf.getTrailer().getKey("/ID");
  facts.has_id = id.isArray() && id.getArrayNItems() == 2;
  facts.encrypted = pdf.isEncrypted();
  Obj intents = root.getKey("/OutputIntents");
  if (intents.isArray() && intents.getArrayNItems() > 0 &&
      intents.getArrayItem(0).getKey("/S").isName()) {
    facts.output_intent = intents.getArrayItem(0).getKey("/S").getName();
  }
  if (root.getKey("/PageMode").isName()) facts.page_mode = root.getKey("/PageMode").getName();

  for (Obj object : pdf.getAllObjects()) {
    if (!object.isDictionary() || !object.getKey("/Type").isNameAndEquals("/Font")) continue;
    Obj subtype = object.getKey("/Subtype");
    // Descendants are checked through their Type0 font; Type3 glyphs are drawn by the file.
    if (subtype.isNameAndEquals("/Type3") || subtype.isNameAndEquals("/CIDFontType0") ||
        subtype.isNameAndEquals("/CIDFontType2")) {
      continue;
    }
    const std::string name =
        object.getKey("/BaseFont").isName() ? object.getKey("/BaseFont").getName() : "?";
    facts.fonts.push_back(name);
    Obj font = object;
    if (subtype.isNameAndEquals("/Type0")) {
      Obj descendants = object.getKey("/DescendantFonts");
      font = descendants.isArray() && descendants.getArrayNItems() == 1
                 ? descendants.getArrayItem(0)
                 : Obj::newNull();
    }
    if (!font.isDictionary() || !HasProgram(font)) facts.unembedded.push_back(name);
  }
  facts.warnings = static_cast<int>(pdf.getWarnings().size());
  return facts;
}

}  // namespace ktv
