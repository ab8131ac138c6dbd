#include "importer/source_reader.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "importer/object_properties.h"
#include "importer/row_scan.h"
#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/text_codec.h"
#include "jet/values.h"

namespace tabulon::importer {

using jet::Error;
using jet::JetType;

namespace {

constexpr std::uint32_t kObjectsTdef = 2;
constexpr std::uint32_t kHiddenFlags = 0x80000002;  // Jet's and Access's own objects
constexpr std::int16_t kTable = 1, kLinkedOdbc = 4, kQuery = 5, kLinkedTable = 6;

bool isSystemName(std::string_view name) {
    if (name.starts_with("~")) return true;  // Access's temporary and deleted objects
    if (name.size() < 4) return false;
    std::string head(name.substr(0, 4));
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    return head == "msys" || head == "usys";
}

struct ObjectEntry {
    std::uint32_t id = 0;
    std::string name;
    std::int16_t type = 0;
    std::uint32_t flags = 0;
    std::string properties;
};

// Reads a whole table whose columns are looked up by name (the system tables: their column
// numbers differ between versions).
class NamedColumns {
public:
    NamedColumns(PageFile& file, const TableShape& shape) : file_(file), shape_(shape) {}
    int find(std::string_view name) const {
        for (const auto& c : shape_.layout.columns)
            if (c.name == name) return c.number;
        return -1;
    }
    jet::Value value(const RowFields& fields, int number) const {
        if (number < 0 || static_cast<std::size_t>(number) >= fields.size() || !fields[number]) return {};
        const auto& column = *std::find_if(shape_.layout.columns.begin(), shape_.layout.columns.end(),
                                           [&](const auto& c) { return c.number == number; });
        return decodeStored(file_, column, *fields[number]);
    }

private:
    PageFile& file_;
    const TableShape& shape_;
};

std::string textOf(const jet::Value& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    return {};
}
std::int64_t numberOf(const jet::Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    return 0;
}

std::vector<ObjectEntry> readObjects(PageFile& file) {
    const TableShape shape = readTableShape(file, kObjectsTdef);
    const NamedColumns columns(file, shape);
    const int id = columns.find("Id"), name = columns.find("Name"), type = columns.find("Type"),
              flags = columns.find("Flags"), properties = columns.find("LvProp");
    if (id < 0 || name < 0 || type < 0) throw Error("系统表 MSysObjects 的结构不符（第 2 页）");
    std::vector<ObjectEntry> entries;
    forEachRow(file, shape, [&](const RowFields& fields) {
        ObjectEntry entry;
        entry.id = static_cast<std::uint32_t>(numberOf(columns.value(fields, id)));
        entry.name = textOf(columns.value(fields, name));
        entry.type = static_cast<std::int16_t>(numberOf(columns.value(fields, type)));
        entry.flags = static_cast<std::uint32_t>(numberOf(columns.value(fields, flags)));
        try {
            entry.properties = textOf(columns.value(fields, properties));
        } catch (const Error&) {
            // Properties only give descriptions; a damaged blob loses them, not the table.
        }
        entries.push_back(std::move(entry));
    });
    return entries;
}

std::vector<SourceRelationship> readRelationships(PageFile& file, std::uint32_t tdefPage) {
    const TableShape shape = readTableShape(file, tdefPage);
    const NamedColumns columns(file, shape);
    const int count = columns.find("ccolumn"), name = columns.find("szRelationship"), table = columns.find("szObject"),
              column = columns.find("szColumn"), referenced = columns.find("szReferencedObject"),
              referencedColumn = columns.find("szReferencedColumn");
    if (table < 0 || column < 0 || referenced < 0 || referencedColumn < 0) return {};
    std::vector<SourceRelationship> out;
    forEachRow(file, shape, [&](const RowFields& fields) {
        SourceRelationship r;
        r.name = textOf(columns.value(fields, name));
        r.table = textOf(columns.value(fields, table));
        r.column = textOf(columns.value(fields, column));
        r.referencedTable = textOf(columns.value(fields, referenced));
        r.referencedColumn = textOf(columns.value(fields, referencedColumn));
        r.columnCount = static_cast<int>(std::max<std::int64_t>(1, numberOf(columns.value(fields, count))));
        out.push_back(std::move(r));
    });
    return out;
}

std::string guidText(std::string_view b) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", jet::getU32(b, 0),
                  jet::getU16(b, 4), jet::getU16(b, 6), jet::getU8(b, 8), jet::getU8(b, 9), jet::getU8(b, 10),
                  jet::getU8(b, 11), jet::getU8(b, 12), jet::getU8(b, 13), jet::getU8(b, 14), jet::getU8(b, 15));
    return text;
}

std::string textValue(PageFile& file, std::string_view stored) {
    if (file.format().jet3()) return codePageText(stored, file.format().codePage);
    return jet::utf16ToUtf8(jet::decodeJetText(stored));
}

}  // namespace

jet::Value decodeStored(PageFile& file, const jet::ColumnLayout& column, std::string_view stored) {
    const auto type = static_cast<std::uint8_t>(column.type);
    switch (column.type) {
    case JetType::Memo: return textValue(file, readLongValue(file, stored));
    case JetType::Ole: return readLongValue(file, stored);
    case JetType::Text: return textValue(file, stored);
    case JetType::Binary: return std::string(stored);
    case JetType::Guid:
        if (stored.size() < 16) throw Error("GUID 值不完整");
        return guidText(stored);
    case JetType::Boolean:
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Currency:
    case JetType::Single:
    case JetType::Double:
    case JetType::DateTime:
    case JetType::Numeric: return jet::decodeValue(column, stored);
    }
    if (type == kBigIntType && stored.size() >= 8)
        return static_cast<std::int64_t>(std::uint64_t{jet::getU32(stored, 0)} |
                                         (std::uint64_t{jet::getU32(stored, 4)} << 32));
    if (type == kComplexType && stored.size() >= 4)
        return static_cast<std::int64_t>(static_cast<std::int32_t>(jet::getU32(stored, 0)));
    return std::string(stored);
}

namespace {

std::uint32_t tdefOf(std::uint32_t objectId) { return objectId & 0x00FFFFFF; }

ComplexColumn::Kind complexKind(const std::string& typeObject, const SourceTable& elements) {
    if (typeObject == "MSysComplexType_Attachment") return ComplexColumn::Kind::Attachment;
    if (typeObject.starts_with("MSysComplexTypeVH_")) return ComplexColumn::Kind::VersionHistory;
    bool fileName = false, fileData = false;
    for (const SourceColumn& c : elements.columns) {
        fileName |= c.layout.name == "FileName";
        fileData |= c.layout.name == "FileData";
        if (c.layout.name.starts_with("Modified_")) return ComplexColumn::Kind::VersionHistory;
    }
    return fileName && fileData ? ComplexColumn::Kind::Attachment : ComplexColumn::Kind::MultiValue;
}

// The element table of one complex column, its columns sorted into key, order and values.
std::shared_ptr<const ComplexColumn> readComplexColumn(PageFile& file, const std::string& column,
                                                       const std::string& typeObject, std::uint32_t flatTable,
                                                       std::string flatName) {
    auto complex = std::make_shared<ComplexColumn>();
    complex->elements.objectId = flatTable;
    complex->elements.name = std::move(flatName);
    complex->elements.shape = readTableShape(file, tdefOf(flatTable));
    for (const jet::ColumnLayout& layout : complex->elements.shape.layout.columns)
        complex->elements.columns.push_back(SourceColumn{layout, {}, {}, {}});
    complex->kind = complexKind(typeObject, complex->elements);
    const auto& columns = complex->elements.columns;
    std::vector<std::size_t> dates, texts, others;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::string& name = columns[c].layout.name;
        if (name == "_" + column) {
            complex->ownerKey = static_cast<int>(c);
        } else if (columns[c].autoNumber() && complex->order < 0) {
            complex->order = static_cast<int>(c);
        } else if (complex->kind == ComplexColumn::Kind::Attachment) {
            if (name == "FileName") complex->values.push_back(c);
        } else if (complex->kind == ComplexColumn::Kind::VersionHistory) {
            (name.starts_with("Modified_") ? dates : texts).push_back(c);
        } else {
            others.push_back(c);
        }
    }
    if (complex->ownerKey < 0) throw Error("隐藏表 " + complex->elements.name + " 没有 _" + column + " 列");
    complex->values.insert(complex->values.end(), dates.begin(), dates.end());
    complex->values.insert(complex->values.end(), texts.begin(), texts.end());
    complex->values.insert(complex->values.end(), others.begin(), others.end());
    return complex;
}

// MSysComplexColumns names, for every complex column, the hidden table of its elements and
// the template of its kind. A column whose table cannot be read stays without it (and is
// then reported as not carried).
void attachComplexColumns(PageFile& file, const std::vector<ObjectEntry>& objects, SourceDatabase& source) {
    const auto listing = std::find_if(objects.begin(), objects.end(), [](const ObjectEntry& e) {
        return e.name == "MSysComplexColumns" && (e.type & 0x7F) == kTable;
    });
    if (listing == objects.end()) return;
    auto nameOf = [&](std::uint32_t id) {
        for (const ObjectEntry& e : objects)
            if (e.id == id) return e.name;
        return std::string();
    };
    try {
        const TableShape shape = readTableShape(file, tdefOf(listing->id));
        const NamedColumns columns(file, shape);
        const int name = columns.find("ColumnName"), typeObject = columns.find("ComplexTypeObjectID"),
                  flat = columns.find("FlatTableID"), owner = columns.find("ConceptualTableID");
        if (name < 0 || flat < 0 || owner < 0) return;
        forEachRow(file, shape, [&](const RowFields& fields) {
            const std::string column = textOf(columns.value(fields, name));
            const auto ownerId = static_cast<std::uint32_t>(numberOf(columns.value(fields, owner)));
            for (SourceTable& table : source.tables) {
                if (table.objectId != ownerId) continue;
                for (SourceColumn& c : table.columns) {
                    if (c.layout.name != column || static_cast<std::uint8_t>(c.layout.type) != kComplexType) continue;
                    const auto flatId = static_cast<std::uint32_t>(numberOf(columns.value(fields, flat)));
                    const auto typeId = static_cast<std::uint32_t>(numberOf(columns.value(fields, typeObject)));
                    try {
                        c.complex = readComplexColumn(file, column, nameOf(typeId), flatId, nameOf(flatId));
                    } catch (const Error&) {
                        c.complex.reset();
                    }
                }
            }
        });
    } catch (const Error&) {
        // The columns keep no element table; the import reports them as not carried.
    }
}

}  // namespace

SourceDatabase readSource(PageFile& file) {
    SourceDatabase source;
    source.format = file.format();
    const std::vector<ObjectEntry> objects = readObjects(file);
    for (const ObjectEntry& entry : objects) {
        const std::int16_t type = static_cast<std::int16_t>(entry.type & 0x7F);
        if (entry.name == "MSysRelationships" && type == kTable) {
            try {
                source.relationships = readRelationships(file, entry.id & 0x00FFFFFF);
            } catch (const Error& e) {
                throw Error(std::string("系统表 MSysRelationships：") + e.what());
            }
            continue;
        }
        if ((entry.flags & kHiddenFlags) != 0 || isSystemName(entry.name)) continue;
        if (type == kLinkedOdbc || type == kLinkedTable) {
            source.linkedTables.push_back(entry.name);
        } else if (type == kQuery) {
            source.queries.push_back(entry.name);
        } else if (type == kTable) {
            SourceTable table;
            table.name = entry.name;
            table.objectId = entry.id;
            try {
                table.shape = readTableShape(file, entry.id & 0x00FFFFFF);
            } catch (const Error& e) {
                throw Error("表 " + entry.name + "：" + e.what());
            }
            ObjectProperties properties = readTextProperties(entry.properties, file.format());
            table.description = properties.table["Description"];
            for (const jet::ColumnLayout& layout : table.shape.layout.columns) {
                SourceColumn column{layout, {}, std::move(properties.columns[layout.name]), {}};
                if (auto found = column.textProperties.find("Description"); found != column.textProperties.end())
                    column.description = found->second;
                table.columns.push_back(std::move(column));
            }
            source.tables.push_back(std::move(table));
        }
    }
    attachComplexColumns(file, objects, source);
    return source;
}

void forEachSourceRow(PageFile& file, const SourceTable& table, const std::function<void(const SourceRow&)>& visit) {
    SourceRow row;
    try {
        forEachRow(file, table.shape, [&](const RowFields& fields) {
            row.values.assign(table.columns.size(), jet::Value{});
            row.problems.clear();
            for (std::size_t i = 0; i < table.columns.size(); ++i) {
                const jet::ColumnLayout& column = table.columns[i].layout;
                const auto& field = fields[column.number];
                if (!field) continue;
                try {
                    row.values[i] = decodeStored(file, column, *field);
                } catch (const Error& e) {
                    row.problems.push_back("字段 " + column.name + "：" + e.what());
                }
            }
            visit(row);
        });
    } catch (const Error& e) {
        throw Error("表 " + table.name + "：" + e.what());
    }
}

}  // namespace tabulon::importer
