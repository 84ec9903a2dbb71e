// The single-value queries of the Selvo SQLite front: column 0 of a query's first row.
#include "ads/selvo/sql/sql_database.h"
#include "ads/selvo/sql/sql_result_set.h"

namespace zelvan::selvo {
namespace {

// Runs the query and reads column 0 of its first row with `read`, or gives `fallback` without one.
template <class T, class Read>
T firstColumn(SqlDatabase_& db, std::string_view sql, const SqlDatabase_::Arguments& arguments, T fallback, Read read) {
    auto resultSet = db.executeQuery(sql, arguments);
    if (!resultSet) {
        return fallback;
    }
    if (!resultSet->next()) {
        return fallback;
    }
    T value = read(*resultSet);
    resultSet->close();
    return value;
}

} // namespace

std::optional<std::string> SqlDatabase_::stringForQuery(std::string_view sql, const Arguments& arguments) {
    return firstColumn<std::optional<std::string>>(*this, sql, arguments, std::nullopt,
                                                   [](SqlResultSet_& rs) { return rs.stringForColumnIndex(0); });
}

int SqlDatabase_::intForQuery(std::string_view sql, const Arguments& arguments) {
    return firstColumn<int>(*this, sql, arguments, 0, [](SqlResultSet_& rs) { return rs.intForColumnIndex(0); });
}

int64_t SqlDatabase_::longForQuery(std::string_view sql, const Arguments& arguments) {
    return firstColumn<int64_t>(*this, sql, arguments, 0, [](SqlResultSet_& rs) { return rs.longForColumnIndex(0); });
}

bool SqlDatabase_::boolForQuery(std::string_view sql, const Arguments& arguments) {
    return firstColumn<bool>(*this, sql, arguments, false, [](SqlResultSet_& rs) { return rs.boolForColumnIndex(0); });
}

double SqlDatabase_::doubleForQuery(std::string_view sql, const Arguments& arguments) {
    return firstColumn<double>(*this, sql, arguments, 0.0,
                               [](SqlResultSet_& rs) { return rs.doubleForColumnIndex(0); });
}

std::optional<fnd::Bytes> SqlDatabase_::dataForQuery(std::string_view sql, const Arguments& arguments) {
    return firstColumn<std::optional<fnd::Bytes>>(*this, sql, arguments, std::nullopt,
                                                  [](SqlResultSet_& rs) { return rs.dataForColumnIndex(0); });
}

} // namespace zelvan::selvo
