// The package parts of an .xlsx workbook besides its worksheets, one function each, as the zip
// entry holds it: the content types, the package's and the workbook's relationships, the workbook
// (its sheet list) and the styles (the default cell format and the text format "@").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace xls::xlsx {

// "[Content_Types].xml": the part types of a workbook of sheetCount worksheets.
std::string ContentTypes(size_t sheetCount);
// "_rels/.rels": the package's one relationship, to the workbook.
std::string PackageRelationships();
// "xl/workbook.xml": the sheets in order, each named as given (already escaped for XML).
std::string WorkbookPart(const std::vector<std::string>& sheetNames);
// "xl/_rels/workbook.xml.rels": worksheets rId1 to rIdN, then the styles.
std::string WorkbookRelationships(size_t sheetCount);
// "xl/styles.xml": cell format 0 the default, 1 the text format "@" (number format 49).
std::string Styles();

} // namespace xls::xlsx
