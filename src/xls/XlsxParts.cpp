#include "xls/XlsxParts.h"

namespace xls::xlsx {

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kPackageRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kDocumentRelationships[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

} // namespace

std::string ContentTypes(size_t sheetCount) {
    std::string types = std::string(kDeclaration) +
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" "
                        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                        "<Override PartName=\"/xl/workbook.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                        "<Override PartName=\"/xl/styles.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    for (size_t i = 1; i <= sheetCount; ++i)
        types += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) +
                 ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    return types + "</Types>";
}

std::string PackageRelationships() {
    return std::string(kDeclaration) + "<Relationships xmlns=\"" + kPackageRelationships +
           "\"><Relationship Id=\"rId1\" Type=\"" + kDocumentRelationships +
           "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
}

std::string WorkbookPart(const std::vector<std::string>& sheetNames) {
    std::string sheets;
    for (size_t i = 0; i < sheetNames.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        sheets += "<sheet name=\"" + sheetNames[i] + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    }
    return std::string(kDeclaration) + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kDocumentRelationships +
           "\"><sheets>" + sheets + "</sheets></workbook>";
}

std::string WorkbookRelationships(size_t sheetCount) {
    std::string relations = std::string(kDeclaration) + "<Relationships xmlns=\"" + kPackageRelationships + "\">";
    for (size_t i = 1; i <= sheetCount; ++i)
        relations += "<Relationship Id=\"rId" + std::to_string(i) + "\" Type=\"" + kDocumentRelationships +
                     "/worksheet\" Target=\"worksheets/sheet" + std::to_string(i) + ".xml\"/>";
    return relations + "<Relationship Id=\"rId" + std::to_string(sheetCount + 1) + "\" Type=\"" +
           kDocumentRelationships + "/styles\" Target=\"styles.xml\"/></Relationships>";
}

std::string Styles() {
    return std::string(kDeclaration) + "<styleSheet xmlns=\"" + kMain +
           "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"宋体\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
           "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
           "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
           "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
           "</cellStyles></styleSheet>";
}

} // namespace xls::xlsx
