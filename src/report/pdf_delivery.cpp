#include "report/pdf_delivery.h"

#include <QByteArrayView>
#include <QCryptographicHash>
#include <QXmlStreamWriter>
#include <QtGlobal>
#include <exception>
#include <map>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "app/safe_text.h"

namespace ktv {
namespace {

using Obj = QPDFObjectHandle;

std::string Offset(const QDateTime& time, const char* between, const char* after) {
  const int minutes = time.offsetFromUtc() / 60;
  const int magnitude = minutes < 0 ? -minutes : minutes;
  return (minutes < 0 ? "-" : "+") +
         QString::number(magnitude / 60).rightJustified(2, '0').toStdString() + between +
         QString::number(magnitude % 60).rightJustified(2, '0').toStdString() + after;
}

std::string Producer() {
  return std::string("Qt ") + qVersion() + " / qpdf " + QPDF::QPDFVersion();
}

// The XMP packet of the properties. PDF/A readers take the properties from here and require
// them to agree with the information dictionary.
std::string Xmp(const DocumentProperties& p, const QDateTime& created) {
  QByteArray out;
  QXmlStreamWriter x(&out);
  x.writeProcessingInstruction(
      "xpacket", QString::fromUtf8("begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\""));
  x.writeStartElement("x:xmpmeta");
  x.writeAttribute("xmlns:x", "adobe:ns:meta/");
  x.writeStartElement("rdf:RDF");
  x.writeAttribute("xmlns:rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#");
  auto description = [&](const char* prefix, const char* uri) {
    x.writeStartElement("rdf:Description");
    x.writeAttribute("rdf:about", "");
    x.writeAttribute(QString("xmlns:") + prefix, uri);
  };
  auto list = [&](const char* name, const char* kind, const std::string& value, bool language) {
    x.writeStartElement(name);
    x.writeStartElement(kind);
    x.writeStartElement("rdf:li");
    if (language) x.writeAttribute("xml:lang", "x-default");
    x.writeCharacters(QString::fromStdString(value));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
  };
  auto text = [&](const char* name, const std::string& value) {
    x.writeTextElement(name, QString::fromStdString(value));
  };
  description("dc", "http://purl.org/dc/elements/1.1/");
  list("dc:title", "rdf:Alt", p.title, true);
  if (!p.author.empty()) list("dc:creator", "rdf:Seq", p.author, false);
  list("dc:description", "rdf:Alt", p.subject, true);
  x.writeEndElement();
  description("xmp", "http://ns.adobe.com/xap/1.0/");
  text("xmp:CreatorTool", p.creator);
  text("xmp:CreateDate", XmpDate(created));
  text("xmp:ModifyDate", XmpDate(created));
  x.writeEndElement();
  description("pdf", "http://ns.adobe.com/pdf/1.3/");
  text("pdf:Producer", Producer());
  x.writeEndElement();
  description("pdfaid", "http://www.aiim.org/pdfa/ns/id/");
  text("pdfaid:part", "1");
  text("pdfaid:conformance", "B");
  x.writeEndElement();
  x.writeEndElement();
  x.writeEndElement();
  x.writeProcessingInstruction("xpacket", "end=\"w\"");
  return out.toStdString();
}

void SetInformation(QPDF& pdf, const DocumentProperties& p, const QDateTime& created) {
  Obj trailer = pdf.getTrailer();
  Obj info = trailer.getKey("/Info");
  if (!info.isDictionary()) {
    info = pdf.makeIndirectObject(Obj::newDictionary());
    trailer.replaceKey("/Info", info);
  }
  auto set = [&](const char* key, const std::string& value) {
    if (value.empty()) {
      info.removeKey(key);
    } else {
      info.replaceKey(key, Obj::newUnicodeString(value));
    }
  };
  set("/Title", p.title);
  set("/Author", p.author);
  set("/Subject", p.subject);
  set("/Creator", p.creator);
  set("/Producer", Producer());
  info.replaceKey("/CreationDate", Obj::newString(PdfDate(created)));
  info.replaceKey("/ModDate", Obj::newString(PdfDate(created)));

  const std::string xmp = Xmp(p, created);
  Obj root = pdf.getRoot();
  Obj metadata = root.getKey("/Metadata");
  if (metadata.isStream()) {
    metadata.replaceStreamData(xmp, Obj::newNull(), Obj::newNull());
  } else {
    metadata = Obj::newStream(&pdf, xmp);
    metadata.getDict().replaceKey("/Type", Obj::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", Obj::newName("/XML"));
    root.replaceKey("/Metadata", metadata);
  }
}

// Qt names each font subset "ABCDEF+Name" with a tag that depends on the order in which its
// hash table gives out the fonts, so two runs differ. The tag is made from the embedded font
// program instead, and every font naming the subset follows it.
void StableSubsetTags(QPDF& pdf) {
  std::map<std::string, std::string> renamed;
  for (Obj object : pdf.getAllObjects()) {
    if (!object.isDictionary() || !object.getKey("/Type").isNameAndEquals("/FontDescriptor")) {
      continue;
    }
    Obj name = object.getKey("/FontName");
    if (!name.isName()) continue;
    const std::string old_name = name.getName();
    const size_t plus = old_name.find('+');
    if (plus != 7) continue;  // "/" + six letters + "+"
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(
        QByteArrayView(old_name.data() + plus, static_cast<qsizetype>(old_name.size() - plus)));
    for (const char* key : {"/FontFile", "/FontFile2", "/FontFile3"}) {
      Obj file = object.getKey(key);
      if (!file.isStream()) continue;
      const std::shared_ptr<Buffer> data = file.getRawStreamData();
      hash.addData(QByteArrayView(reinterpret_cast<const char*>(data->getBuffer()),
                                  static_cast<qsizetype>(data->getSize())));
    }
    const QByteArray digest = hash.result();
    std::string new_name = "/";
    for (int i = 0; i < 6; ++i)
      new_name += static_cast<char>('A' + (static_cast<unsigned char>(digest[i]) % 26));
    new_name += old_name.substr(plus);
    renamed[old_name] = new_name;
    object.replaceKey("/FontName", Obj::newName(new_name));
  }
  if (renamed.empty()) return;
  for (Obj object : pdf.getAllObjects()) {
    if (!object.isDictionary() || !object.getKey("/Type").isNameAndEquals("/Font")) continue;
    Obj name = object.getKey("/BaseFont");
    if (!name.isName()) continue;
    const auto it = renamed.find(name.getName());
    if (it != renamed.end()) object.replaceKey("/BaseFont", Obj::newName(it->second));
  }
}

// One outline item and the items under it.
struct Item {
  Obj handle;
  std::vector<Item> children;
};

// Links the items of one level to each other and to their parent; returns the number of items
// shown open under the parent (every level is shown open).
int Chain(Obj parent, std::vector<Item>& items) {
  if (items.empty()) return 0;
  int visible = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    Obj item = items[i].handle;
    item.replaceKey("/Parent", parent);
    if (i > 0) item.replaceKey("/Prev", items[i - 1].handle);
    if (i + 1 < items.size()) item.replaceKey("/Next", items[i + 1].handle);
    visible += 1 + Chain(item, items[i].children);
  }
  parent.replaceKey("/First", items.front().handle);
  parent.replaceKey("/Last", items.back().handle);
  // A positive count: the level is shown open.
  parent.replaceKey("/Count", Obj::newInteger(visible));
  return visible;
}

void AddOutline(QPDF& pdf, const std::vector<OutlineEntry>& outline) {
  if (outline.empty()) return;
  const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
  std::vector<Item> top;
  for (const OutlineEntry& entry : outline) {
    if (entry.page < 0 || entry.page >= static_cast<int>(pages.size())) {
      throw ReportError("The bookmark \"" + entry.title + "\" names page " +
                        std::to_string(entry.page) + " of a PDF of " +
                        std::to_string(pages.size()) + " pages");
    }
    Obj page = pages[static_cast<size_t>(entry.page)].getObjectHandle();
    const double top_edge = page.getKey("/MediaBox").getArrayItem(3).getNumericValue();
    Obj dest = Obj::newArray();
    dest.appendItem(page);
    dest.appendItem(Obj::newName("/XYZ"));
    dest.appendItem(Obj::newNull());
    dest.appendItem(Obj::newReal(top_edge - entry.y / 20.0, 2));  // twips to points
    dest.appendItem(Obj::newNull());
    Obj item = pdf.makeIndirectObject(Obj::newDictionary());
    item.replaceKey("/Title", Obj::newUnicodeString(entry.title));
    item.replaceKey("/Dest", dest);
    // Under the last item of the level above; an entry whose parent level is missing goes
    // under the deepest item there is.
    std::vector<Item>* level = &top;
    for (int depth = 1; depth < entry.level && !level->empty(); ++depth) {
      level = &level->back().children;
    }
    level->push_back({item, {}});
  }
  Obj root_item = pdf.makeIndirectObject(Obj::newDictionary());
  root_item.replaceKey("/Type", Obj::newName("/Outlines"));
  Chain(root_item, top);
  Obj root = pdf.getRoot();
  root.replaceKey("/Outlines", root_item);
  root.replaceKey("/PageMode", Obj::newName("/UseOutlines"));
}

}  // namespace

std::string PdfDate(const QDateTime& time) {
  return "D:" + time.toString("yyyyMMddHHmmss").toStdString() + Offset(time, "'", "'");
}

std::string XmpDate(const QDateTime& time) {
  return time.toString("yyyy-MM-ddTHH:mm:ss").toStdString() + Offset(time, ":", "");
}

std::string FinishPdf(std::string_view painted, const std::vector<OutlineEntry>& outline,
                      const DocumentProperties& given, const QDateTime& created) {
  // A project name from a damaged file may hold control bytes, which XML cannot carry.
  DocumentProperties properties = given;
  for (std::string* text :
       {&properties.title, &properties.author, &properties.subject, &properties.creator}) {
    *text = OneLineText(*text);
  }
  try {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("report", painted.data(), painted.size());
    StableSubsetTags(pdf);
    AddOutline(pdf, outline);
    SetInformation(pdf, properties, created);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    // PDF/A-1 readers know neither object nor cross-reference streams.
    writer.setObjectStreamMode(qpdf_o_disable);
    // Qt's ID is random and qpdf would keep its first half: both halves come from the content.
    pdf.getTrailer().removeKey("/ID");
    writer.setDeterministicID(true);
    writer.write();
    if (pdf.anyWarnings()) throw ReportError("The painted PDF has faults");
    std::shared_ptr<Buffer> bytes = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize());
  } catch (const ReportError&) {
    throw;
  } catch (const std::exception& e) {
    throw ReportError(std::string("The PDF could not be completed: ") + e.what());
  }
}

}  // namespace ktv
