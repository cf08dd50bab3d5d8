// calc_readback: the tests' second look into a running office.
//
//   calc_readback --pipe NAME --list
//       prints "DOCUMENT <title>" for every spreadsheet document
//   calc_readback --pipe NAME --title TITLE --rows R --cols C
//       prints "SHEET <name>", "USED <last column> <last row>" (1-based; the
//       end of the sheet's used area), "VISIBLE <0|1>", then the cells
//       A1..(C, R) in the block exchange form: empty cells as empty, numbers
//       as reals, texts as texts (UTF-16 converted to CP932)
//   calc_readback --pipe NAME --terminate
//       closes every document without saving and ends the office
//
// Exit status 0 on success, 1 on any failure (reason on standard error).
#include <cstdlib>
#include <iostream>
#include <string>

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include "core/SpreadsheetBlock.h"
#include "platform/calc/UnoOffice.h"

using namespace com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using kestrin::calc::OuToUtf8;

namespace {

template <typename F>
void ForEachSpreadsheet(const Reference<frame::XDesktop2>& desktop, F f) {
  Reference<container::XEnumeration> e = desktop->getComponents()->createEnumeration();
  while (e->hasMoreElements()) {
    Reference<sheet::XSpreadsheetDocument> doc(e->nextElement(), UNO_QUERY);
    if (doc.is()) f(doc);
  }
}

std::string Title(const Reference<sheet::XSpreadsheetDocument>& doc) {
  Reference<frame::XTitle> t(doc, UNO_QUERY);
  return t.is() ? OuToUtf8(t->getTitle()) : std::string();
}

int Dump(const Reference<sheet::XSpreadsheetDocument>& doc, int rows, int cols) {
  Reference<container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
  Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
  std::cout << "SHEET " << OuToUtf8(Reference<container::XNamed>(sheet, UNO_QUERY_THROW)->getName()) << "\n";

  Reference<sheet::XSheetCellCursor> cursor = sheet->createCursor();
  Reference<sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
  const table::CellRangeAddress end =
      Reference<sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
  std::cout << "USED " << end.EndColumn + 1 << " " << end.EndRow + 1 << "\n";

  Reference<frame::XModel> model(doc, UNO_QUERY_THROW);
  Reference<awt::XWindow2> window(model->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY);
  std::cout << "VISIBLE " << (window.is() && window->isVisible() ? 1 : 0) << "\n";

  kestrin::TSpreadsheetBlock block(rows, cols);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      Reference<table::XCell> cell = sheet->getCellByPosition(c, r);
      switch (cell->getType()) {
        case table::CellContentType_EMPTY:
          break;
        case table::CellContentType_VALUE:
          block.At(r, c) = kestrin::TBlockCell::MakeReal(cell->getValue());
          break;
        case table::CellContentType_TEXT: {
          const std::string utf8 = OuToUtf8(Reference<text::XTextRange>(cell, UNO_QUERY_THROW)->getString());
          const auto cp932 = kestrin::Utf8ToCp932(utf8);
          if (!cp932) {
            std::cerr << "calc_readback: text without CP932 form at row " << r + 1 << "\n";
            return 1;
          }
          block.At(r, c) = kestrin::TBlockCell::MakeText(*cp932);
          break;
        }
        default:
          std::cerr << "calc_readback: formula at row " << r + 1 << ", column " << c + 1 << "\n";
          return 1;
      }
    }
  }
  std::cout << kestrin::SerializeBlock(block);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  kestrin::calc::TOfficeOptions options;
  options.Launch = false;
  std::string mode;
  std::string title;
  int rows = 0;
  int cols = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : "";
    if (a == "--pipe") options.PipeName = v, ++i;
    else if (a == "--title") title = v, ++i, mode = "dump";
    else if (a == "--rows") rows = std::atoi(v), ++i;
    else if (a == "--cols") cols = std::atoi(v), ++i;
    else if (a == "--list" || a == "--terminate") mode = a;
    else {
      std::cerr << "calc_readback: unknown argument " << a << "\n";
      return 1;
    }
  }
  try {
    Reference<uno::XComponentContext> office = kestrin::calc::ConnectOffice(options);
    Reference<frame::XDesktop2> desktop = frame::Desktop::create(office);
    int rc = 1;
    if (mode == "--list") {
      ForEachSpreadsheet(desktop, [](const auto& doc) { std::cout << "DOCUMENT " << Title(doc) << "\n"; });
      rc = 0;
    } else if (mode == "dump") {
      bool found = false;
      ForEachSpreadsheet(desktop, [&](const auto& doc) {
        if (!found && Title(doc) == title) {
          found = true;
          rc = Dump(doc, rows, cols);
        }
      });
      if (!found) std::cerr << "calc_readback: no document titled " << title << "\n";
    } else if (mode == "--terminate") {
      Reference<container::XEnumeration> e = desktop->getComponents()->createEnumeration();
      while (e->hasMoreElements()) {
        Reference<util::XCloseable> closeable(e->nextElement(), UNO_QUERY);
        if (closeable.is()) closeable->close(true);
      }
      // The bridge goes down with the office: an exception here is success.
      try {
        rc = desktop->terminate() ? 0 : 1;
      } catch (const uno::RuntimeException&) {
        rc = 0;
      }
      return rc;
    }
    kestrin::calc::DisconnectOffice();
    return rc;
  } catch (const kestrin::calc::TNoOfficeError& e) {
    std::cerr << "calc_readback: " << e.what() << "\n";
  } catch (const uno::Exception& e) {
    std::cerr << "calc_readback: " << OuToUtf8(e.Message) << "\n";
  }
  return 1;
}
