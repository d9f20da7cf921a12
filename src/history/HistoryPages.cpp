#include "history/HistoryPages.h"

#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "history/SqliteDb.h"

#include <algorithm>

namespace {

std::int64_t ToSeconds(HistoryTime time)
{
    return std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count();
}

// The conditions the filter sets on latest_pairs (as lp), and the texts they bind, in order.
struct Where {
    std::string Sql = "1";
    std::vector<std::string> Texts;
};

Where Conditions(const HistoryFilter& filter, std::optional<HistoryTime> until)
{
    Where where;
    const auto among = [&](const char* column, const char* ids, const std::vector<std::string>& texts) {
        if (texts.empty()) return;
        std::string marks;
        for (const std::string& text : texts) {
            marks += marks.empty() ? "?" : ",?";
            where.Texts.push_back(text);
        }
        where.Sql += std::string(" AND lp.") + column + " IN (" + ids + " IN (" + marks + "))";
    };
    among("product", "SELECT id FROM products WHERE title", filter.Products);
    among("site", "SELECT id FROM sites WHERE title", filter.Sites);
    among("word", "SELECT id FROM words WHERE word", filter.Outcomes);
    if (filter.Since) where.Sql += " AND lp.time >= " + std::to_string(ToSeconds(*filter.Since));
    if (until) where.Sql += " AND lp.time <= " + std::to_string(ToSeconds(*until));
    if (!filter.Search.empty()) {
        // SQLite's lower() folds ASCII letters only, and instr on blobs compares bytes.
        std::string part = filter.Search;
        for (char& c : part)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        where.Sql += " AND (instr(CAST(lower((SELECT title FROM products WHERE id = lp.product)) AS BLOB), "
                     "CAST(? AS BLOB)) > 0 OR instr(CAST(lower((SELECT title FROM sites WHERE id = lp.site)) AS "
                     "BLOB), CAST(? AS BLOB)) > 0)";
        where.Texts.push_back(part);
        where.Texts.push_back(part);
    }
    return where;
}

SqliteStatement& BindAll(SqliteStatement& query, const Where& where)
{
    for (size_t i = 0; i < where.Texts.size(); ++i) query.Bind(static_cast<int>(i) + 1, where.Texts[i]);
    return query;
}

HistoryGrid::Axis ReadAxis(SqliteDb& db, const char* table, const Where& where)
{
    SqliteStatement query(db, std::string("SELECT id, title FROM ") + table + " WHERE id IN (SELECT lp." +
                                  (std::string(table) == "products" ? "product" : "site") +
                                  " FROM latest_pairs lp WHERE " + where.Sql + ") ORDER BY title");
    BindAll(query, where);
    HistoryGrid::Axis axis;
    while (query.Step()) {
        axis.Ids.push_back(query.Integer(0));
        axis.Titles.push_back(query.Text(1));
    }
    return axis;
}

} // namespace

HistoryPages::HistoryPages(HistoryStore& store) : db_(*store.db_)
{}

HistoryPages::GridAxes HistoryPages::Axes(const HistoryFilter& filter, std::optional<HistoryTime> until)
{
    const Where where = Conditions(filter, until);
    GridAxes axes;
    axes.Products = ReadAxis(db_, "products", where);
    axes.Sites = ReadAxis(db_, "sites", where);
    SqliteStatement count(db_, "SELECT COUNT(*) FROM latest_pairs lp WHERE " + where.Sql);
    if (BindAll(count, where).Step()) axes.Cells = count.Integer(0);
    return axes;
}

std::vector<OutcomeRecord> HistoryPages::Cells(const HistoryFilter& filter, std::optional<HistoryTime> until,
                                               const std::vector<std::int64_t>& products)
{
    if (products.empty()) return {};
    const Where where = Conditions(filter, until);
    std::string ids;
    for (const std::int64_t id : products) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    SqliteStatement query(
        db_, "SELECT lp.run, p.title, ifnull(l.url, ''), s.title, ifnull(c.address, ''), ifnull(c.method, ''), "
             "ifnull(w.word, ''), lp.time, lp.http_status, lp.ms, ifnull(r.text, ''), ifnull(d.text, ''), "
             "ifnull(v.text, '') "
             "FROM latest_pairs lp "
             "JOIN products p ON p.id = lp.product JOIN sites s ON s.id = lp.site "
             "LEFT JOIN pad_links l ON l.id = lp.pad_link LEFT JOIN scripts c ON c.id = lp.script "
             "LEFT JOIN words w ON w.id = lp.word LEFT JOIN reasons r ON r.id = lp.reason "
             "LEFT JOIN reasons d ON d.id = lp.detail LEFT JOIN reasons v ON v.id = lp.version "
             "WHERE lp.product IN (" +
                 ids + ") AND " + where.Sql);
    BindAll(query, where);
    std::vector<OutcomeRecord> cells;
    while (query.Step()) {
        OutcomeRecord o;
        o.Run = query.Integer(0);
        o.Product = query.Text(1);
        o.PadLink = query.Text(2);
        o.Site = query.Text(3);
        o.ScriptUrl = query.Text(4);
        o.Method = query.Text(5);
        o.Outcome = StatusWords::ToOutcome(query.Text(6));
        o.Time = HistoryTime(std::chrono::seconds(query.Integer(7)));
        o.HttpStatus = static_cast<int>(query.Integer(8));
        o.Ms = query.Integer(9);
        o.Reason = query.Text(10);
        o.Detail = query.Text(11);
        o.Version = query.Text(12);
        cells.push_back(std::move(o));
    }
    return cells;
}

std::int64_t HistoryPages::RunCount()
{
    return db_.Integer("SELECT COUNT(*) FROM runs");
}

std::vector<RunSummary> HistoryPages::Runs(std::int64_t first, int count)
{
    SqliteStatement query(db_, std::string("SELECT ") + HistoryStore::RunRowColumns() +
                                   " FROM runs ORDER BY started DESC, id DESC LIMIT ? OFFSET ?");
    query.Bind(1, count).Bind(2, std::max<std::int64_t>(first, 0));
    std::vector<RunSummary> runs;
    while (query.Step()) runs.push_back(HistoryStore::RunRow(query));
    return runs;
}

std::vector<RunSummary> HistoryPages::LatestSent(int count)
{
    SqliteStatement query(db_, std::string("SELECT ") + HistoryStore::RunRowColumns() +
                                   " FROM runs WHERE kind IN (1, 2) ORDER BY started DESC, id DESC LIMIT ?");
    query.Bind(1, count);
    std::vector<RunSummary> runs;
    while (query.Step()) runs.push_back(HistoryStore::RunRow(query));
    std::reverse(runs.begin(), runs.end());
    return runs;
}
