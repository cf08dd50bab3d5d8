// kestrin-calc-export: puts one block of values into a new LibreOffice Calc
// document and leaves Calc open with it.
//
// Kestrin runs this as a separate process so that the program itself never
// links UNO and survives an office that is missing, slow or crashing.
//
//   kestrin-calc-export [--pipe NAME] [--soffice PATH] [--office-arg ARG]...
//                       [--no-start] [--connect-timeout MS]
//
// Standard input: the block in the exchange form of core/SpreadsheetBlock.h.
// Standard output, one line each as the export gets there:
//   CONNECTED           the office answered
//   DOCUMENT <title>    the new document exists (it stays, whatever follows)
//   DONE                the values are in and the document is visible
// Exit status: 0 done, 2 no usable office, 3 an error after connecting,
// 4 bad arguments or input. Reasons go to standard error.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include "UnoOffice.h"
#include "core/SpreadsheetBlock.h"

using namespace com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using kestrin::TBlockCell;
using kestrin::TSpreadsheetBlock;

namespace {

enum TExit { kDone = 0, kNoOffice = 2, kFailed = 3, kBadInput = 4 };

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

rtl::OUString Ascii(const std::string& s) { return rtl::OUString::createFromAscii(s.c_str()); }

// The block as UNO values: texts as strings (from CP932), integers as
// 32-bit integers, reals as doubles, empty cells as empty strings (an empty
// Any would show as #N/A).
Sequence<Sequence<Any>> ToDataArray(const TSpreadsheetBlock& block) {
  Sequence<Sequence<Any>> rows(block.RowCount());
  Sequence<Any>* rowData = rows.getArray();
  for (int32_t r = 0; r < block.RowCount(); ++r) {
    Sequence<Any> row(block.ColumnCount());
    Any* cells = row.getArray();
    for (int32_t c = 0; c < block.ColumnCount(); ++c) {
      const TBlockCell& cell = block.At(r, c);
      switch (cell.Kind) {
        case TBlockCell::TKind::Empty:
          cells[c] <<= rtl::OUString();
          break;
        case TBlockCell::TKind::Text:
          cells[c] <<= kestrin::calc::Cp932ToOu(cell.Text);
          break;
        case TBlockCell::TKind::Integer:
          cells[c] <<= static_cast<sal_Int32>(cell.Integer);
          break;
        case TBlockCell::TKind::Real:
          cells[c] <<= cell.Real;
          break;
      }
    }
    rowData[r] = row;
  }
  return rows;
}

// The sheet "Sheet1"; an office whose language names its first sheet
// otherwise gets the first sheet of the new document.
Reference<sheet::XSpreadsheet> FirstSheet(const Reference<sheet::XSpreadsheetDocument>& doc) {
  Reference<sheet::XSpreadsheets> sheets = doc->getSheets();
  if (!sheets.is()) throw uno::RuntimeException("the new document has no sheets");
  if (sheets->hasByName("Sheet1")) return Reference<sheet::XSpreadsheet>(sheets->getByName("Sheet1"), UNO_QUERY_THROW);
  Reference<container::XIndexAccess> byIndex(sheets, UNO_QUERY_THROW);
  if (byIndex->getCount() < 1) throw uno::RuntimeException("the new document has no sheets");
  return Reference<sheet::XSpreadsheet>(byIndex->getByIndex(0), UNO_QUERY_THROW);
}

// A document loaded hidden comes without its menu bar and tool bars; bring
// back the usual ones when the window is shown.
void ShowFrame(const Reference<frame::XFrame>& frame) {
  Reference<awt::XWindow> window = frame->getContainerWindow();
  if (window.is()) window->setVisible(true);

  Reference<beans::XPropertySet> props(frame, UNO_QUERY);
  if (props.is()) {
    Reference<frame::XLayoutManager> layout(props->getPropertyValue("LayoutManager"), UNO_QUERY);
    if (layout.is()) {
      layout->setVisible(true);
      for (const char* element :
           {"private:resource/menubar/menubar", "private:resource/toolbar/standardbar",
            "private:resource/toolbar/formatobjectbar", "private:resource/statusbar/statusbar"}) {
        const rtl::OUString name = Ascii(element);
        if (!layout->getElement(name).is()) layout->createElement(name);
        layout->showElement(name);
      }
      layout->doLayout();
    }
  }
  Reference<awt::XTopWindow> top(window, UNO_QUERY);
  if (top.is()) top->toFront();
}

int Export(const TSpreadsheetBlock& block, const kestrin::calc::TOfficeOptions& options) {
  Reference<uno::XComponentContext> office;
  try {
    office = kestrin::calc::ConnectOffice(options);
  } catch (const kestrin::calc::TNoOfficeError& e) {
    std::cerr << "kestrin-calc-export: " << e.what() << "\n";
    return kNoOffice;
  } catch (const uno::Exception& e) {
    std::cerr << "kestrin-calc-export: " << kestrin::calc::OuToUtf8(e.Message) << "\n";
    return kNoOffice;
  }
  if (!office.is()) {
    std::cerr << "kestrin-calc-export: the office gave no component context\n";
    return kNoOffice;
  }
  Say("CONNECTED");

  int result = kDone;
  try {
    Reference<frame::XDesktop2> desktop = frame::Desktop::create(office);

    // Hidden while the values go in; shown at the end.
    Sequence<beans::PropertyValue> args(1);
    args.getArray()[0].Name = "Hidden";
    args.getArray()[0].Value <<= true;
    Reference<lang::XComponent> component =
        desktop->loadComponentFromURL("private:factory/scalc", "_blank", 0, args);
    Reference<sheet::XSpreadsheetDocument> doc(component, UNO_QUERY);
    if (!doc.is()) throw uno::RuntimeException("the office did not create a spreadsheet document");
    Reference<frame::XTitle> title(component, UNO_QUERY);
    Say("DOCUMENT " + (title.is() ? kestrin::calc::OuToUtf8(title->getTitle()) : std::string()));

    Reference<sheet::XSpreadsheet> sheet = FirstSheet(doc);
    Reference<table::XCellRange> range =
        Reference<table::XCellRange>(sheet, UNO_QUERY_THROW)->getCellRangeByName(Ascii(block.RangeName()));
    Reference<sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(ToDataArray(block));

    Reference<frame::XModel> model(component, UNO_QUERY_THROW);
    Reference<frame::XController> controller = model->getCurrentController();
    if (!controller.is()) throw uno::RuntimeException("the new document has no view");
    ShowFrame(controller->getFrame());
    Say("DONE");
  } catch (const uno::Exception& e) {
    std::cerr << "kestrin-calc-export: " << kestrin::calc::OuToUtf8(e.Message) << "\n";
    result = kFailed;
  }
  // Drop every reference to the office and close the bridge; the office
  // keeps running with the document.
  office.clear();
  try {
    kestrin::calc::DisconnectOffice();
  } catch (const uno::Exception&) {
  }
  return result;
}

void Usage() {
  std::cerr << "usage: kestrin-calc-export [--pipe NAME] [--soffice PATH] [--office-arg ARG]... "
               "[--no-start] [--connect-timeout MS] < block\n";
}

}  // namespace

int main(int argc, char** argv) {
  // Whoever started us may have left descriptors open; an office started
  // from here must not inherit them.
  close_range(3, ~0U, 0);

  kestrin::calc::TOfficeOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--no-start") {
      options.Launch = false;
    } else if (a == "--pipe" || a == "--soffice" || a == "--office-arg" || a == "--connect-timeout") {
      const char* v = value();
      if (!v) {
        Usage();
        return kBadInput;
      }
      if (a == "--pipe") options.PipeName = v;
      if (a == "--soffice") options.SofficePath = v;
      if (a == "--office-arg") options.ExtraArgs.push_back(v);
      if (a == "--connect-timeout") {
        char* end = nullptr;
        const long ms = std::strtol(v, &end, 10);
        if (*v == '\0' || *end != '\0' || ms < 0 || ms > 3600000) {
          Usage();
          return kBadInput;
        }
        options.ConnectTimeoutMs = static_cast<int>(ms);
      }
    } else {
      Usage();
      return kBadInput;
    }
  }

  const std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::string error;
  const auto block = kestrin::ParseBlock(input, &error);
  if (!block) {
    std::cerr << "kestrin-calc-export: bad input: " << error << "\n";
    return kBadInput;
  }
  return Export(*block, options);
}
