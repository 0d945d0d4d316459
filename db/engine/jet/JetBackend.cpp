#include "db/engine/jet/JetBackend.h"

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/jet/IndexCheck.h"
#include "db/engine/jet/IndexDefinitions.h"
#include "db/engine/jet/JetCursor.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/RowWriter.h"
#include "db/engine/jet/SchemaWriter.h"
#include "db/engine/jet/StructureCheck.h"

namespace pelmora::engine {

namespace {

class JetBackend : public Backend {
  public:
    explicit JetBackend(const std::string& path)
        : file_(std::make_shared<jet::JetFile>(path)), rows_(*file_), schemas_(*file_, rows_) {}

    const std::string& path() const override { return file_->path(); }

    std::vector<std::string> tableNames() override {
        std::vector<std::string> names;
        for (const auto& entry : file_->catalog().tables()) names.push_back(entry.name);
        return names;
    }

    TableSchema schema(const std::string& table) override { return file_->table(table)->schema; }
    std::vector<Index> indexes(const std::string& table) override {
        return jet::indexesOf(*file_->table(table));
    }

    void createTable(const TableSchema& table, const std::vector<Index>& indexes) override {
        requireWritable("crear la tabla «" + table.name + "»");
        jet::WriteGroup group(file_->pages());
        schemas_.createTable(table, indexes);
        group.end();
    }
    void addColumn(const std::string& table, const Column& column) override {
        requireWritable("añadir el campo «" + column.name + "» a la tabla «" + table + "»");
        jet::WriteGroup group(file_->pages());
        schemas_.addColumn(table, column);
        group.end();
    }
    void setDefaultValue(const std::string& table, const std::string& column,
                         const Value& value) override {
        requireWritable("fijar el valor predeterminado del campo «" + column + "» de la tabla «" +
                        table + "»");
        jet::WriteGroup group(file_->pages());
        schemas_.setDefaultValue(table, column, value);
        group.end();
    }
    void update(const std::string& table, RowId id, const Row& row) override {
        requireWritable("modificar un registro de la tabla «" + table + "»");
        jet::WriteGroup group(file_->pages());
        auto t = file_->table(table);
        rows_.update(*t, slotOf(*t, id), fitted(*t, row, nullptr));
        group.end();
    }

    void updateColumn(const std::string& table, RowId id, int column, const Value& value) override {
        requireWritable("modificar un registro de la tabla «" + table + "»");
        jet::WriteGroup group(file_->pages());
        auto t = file_->table(table);
        const TableSchema& schema = t->schema;
        if (column < 0 || column >= static_cast<int>(schema.columns.size()))
            throw Error(columnMissing(path(), schema.name, column));
        rows_.updateColumn(*t, slotOf(*t, id), column, fittedValue(schema, column, value, false));
        group.end();
    }

    RowId insert(const std::string& table, const Row& row, const Given& given) override {
        requireWritable("añadir un registro a la tabla «" + table + "»");
        jet::WriteGroup group(file_->pages());
        auto t = file_->table(table);
        const RowId id = rows_.insert(*t, fitted(*t, row, &given)).packed();
        group.end();
        return id;
    }

    // A group of writes is one write group of the file: the writer's lock is taken
    // here, before anything the group reads, and the group lands whole at the end.
    void beginWrites() override { file_->pages().beginGroup(); }
    void endWrites() override { file_->pages().endGroup(); }
    bool restoredOnOpen() const override { return file_->pages().restoredOnOpen(); }

    std::unique_ptr<Cursor> select(const Query& query) override {
        return std::make_unique<jet::JetCursor>(file_, file_->table(query.table), query);
    }

    Row read(const std::string& table, RowId id) override {
        auto t = file_->table(table);
        jet::PageRef holder;
        jet::RowView view;
        const auto place = jet::RowPointer::from(static_cast<uint32_t>(id));
        if (id < 0 || id > UINT32_MAX ||
            !jet::locateRow(file_->pages(), t->definition, place, holder, view))
            throw Error("El registro buscado ya no existe en la tabla «" + t->schema.name +
                        "» de la base de datos «" + path() + "»");
        jet::ValueReader values(file_->pages());
        Row row;
        row.reserve(t->definition.columns.size());
        for (size_t i = 0; i < t->definition.columns.size(); ++i)
            row.push_back(checkedRead(values.read(t->definition.columns[i], view),
                                      {path(), t->schema.name, t->schema.columns[i]}));
        return row;
    }

    std::vector<std::string> verify() override {
        std::vector<std::string> problems = jet::checkStructure(*file_);
        for (auto& p : jet::checkFile(*file_)) problems.push_back(std::move(p));
        return problems;
    }

  private:
    // The values made to fit their columns; a yes/no is never Null. The columns a
    // new row (`given` set) leaves out take their default value; a replication-ID
    // autonumber left Null takes a new GUID; long autonumbers are left to the writer.
    jet::RowWriter::Values fitted(const jet::JetTable& t, const Row& row,
                                  const Given* given) const {
        const TableSchema& schema = t.schema;
        if (row.size() != schema.columns.size() || (given && given->size() != row.size()))
            throw Error("Se escriben " + std::to_string(row.size()) + " valores en la tabla «" +
                        schema.name + "» de «" + path() + "», que tiene " +
                        std::to_string(schema.columns.size()) + " campos");
        jet::RowWriter::Values values;
        values.reserve(row.size());
        for (size_t i = 0; i < row.size(); ++i) {
            values.push_back(fittedValue(schema, i, row[i], given && !(*given)[i]));
            const Column& column = schema.columns[i];
            if (given && values.back().isNull() && column.autoNumber && column.type == Type::Guid)
                values.back() = Value::newGuid();
        }
        return values;
    }

    // The row slot a locator names, for a row to modify.
    jet::RowPointer slotOf(const jet::JetTable& t, RowId id) const {
        if (id < 0 || id > UINT32_MAX)
            throw Error("El registro que se modifica no existe en la tabla «" + t.schema.name +
                        "» de la base de datos «" + path() + "»");
        return jet::RowPointer::from(static_cast<uint32_t>(id));
    }

    // A value as the column stores it: its default when a new row leaves it out,
    // yes/no never Null, a required column never left Null.
    Value fittedValue(const TableSchema& schema, size_t i, const Value& value,
                      bool takesDefault) const {
        const Column& column = schema.columns[i];
        const Destination where{path(), schema.name, column};
        Value v = fitToColumn(value, where);
        if (v.isNull() && takesDefault && column.defaultValue)
            v = fitToColumn(*column.defaultValue, where);
        if (v.isNull() && column.type == Type::Boolean) v = Value::boolean(false);
        if (!column.autoNumber) requireValue(v, where);
        return v;
    }

    // Refuses, before anything is written, the files the engine does not write:
    // those protected by a database password.
    void requireWritable(const std::string& what) const {
        if (file_->header().password)
            throw Error("No se puede " + what + " en «" + path() +
                        "»: la base de datos está protegida con una contraseña, y en ella no se " +
                        "escribe; quítele la contraseña en Access (Herramientas > Seguridad > " +
                        "Anular la contraseña de la base de datos) y vuelva a intentarlo");
    }

    std::shared_ptr<jet::JetFile> file_;
    jet::RowWriter rows_;
    jet::SchemaWriter schemas_;
};

}  // namespace

std::shared_ptr<Backend> openJetBackend(const std::string& path) {
    return std::make_shared<JetBackend>(path);
}

}  // namespace pelmora::engine
