#include "db/engine/jet/JetBackend.h"

#include "db/engine/Error.h"
#include "db/engine/jet/IndexCheck.h"
#include "db/engine/jet/JetCursor.h"
#include "db/engine/jet/JetFile.h"

namespace pelmora::engine {

namespace {

class JetBackend : public Backend {
public:
    explicit JetBackend(const std::string& path) : file_(std::make_shared<jet::JetFile>(path)) {}

    const std::string& path() const override { return file_->path(); }

    std::vector<std::string> tableNames() override {
        std::vector<std::string> names;
        for (const auto& entry : file_->catalog().tables()) names.push_back(entry.name);
        return names;
    }

    TableSchema schema(const std::string& table) override { return file_->table(table)->schema; }

    void createTable(const TableSchema& table) override { refuse("crear la tabla «" + table.name + "»"); }
    void addColumn(const std::string& table, const Column& column) override {
        refuse("añadir el campo «" + column.name + "» a la tabla «" + table + "»");
    }
    void setDefaultValue(const std::string& table, const std::string& column, const Value&) override {
        refuse("fijar el valor predeterminado del campo «" + column + "» de la tabla «" + table + "»");
    }
    void update(const std::string& table, RowId, const Row&) override {
        refuse("modificar un registro de la tabla «" + table + "»");
    }
    RowId insert(const std::string& table, const Row&) override {
        refuse("añadir un registro a la tabla «" + table + "»");
    }

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
        for (const auto& column : t->definition.columns) row.push_back(values.read(column, view));
        return row;
    }

    std::vector<std::string> verify() override { return jet::checkFile(*file_); }

private:
    [[noreturn]] void refuse(const std::string& what) const {
        throw Error("No se puede " + what + " en «" + path() +
                    "»: no se puede escribir todavía en bases de datos de Access (.mdb)");
    }

    std::shared_ptr<jet::JetFile> file_;
};

}  // namespace

std::shared_ptr<Backend> openJetBackend(const std::string& path) {
    return std::make_shared<JetBackend>(path);
}

}  // namespace pelmora::engine
