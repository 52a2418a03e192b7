// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/filter_expression.h"

#include "core/error.h"

#include <cmath>

namespace solvane {

enum class CompareOp { Eq, Ne, Lt, Gt, Le, Ge };

struct FilterExpression::Node {
    enum Kind { And, Or, Not, Compare, Like } kind = Compare;
    std::unique_ptr<Node> left, right;
    int field = -1;
    CompareOp op = CompareOp::Eq;
    QVariant literal;
    LikePattern pattern;
};

namespace {

[[noreturn]] void malformed(const QString& text) {
    throw Error(QStringLiteral("Неверное условие отбора «%1»").arg(text));
}

class Parser {
public:
    Parser(const QString& text, const std::function<int(const QString&)>& resolve) : text_(text), resolve_(resolve) {}

    std::unique_ptr<FilterExpression::Node> parse() {
        auto node = parseOr();
        skipBlanks();
        if (pos_ != text_.size())
            malformed(text_);
        return node;
    }

private:
    using NodePtr = std::unique_ptr<FilterExpression::Node>;

    void skipBlanks() {
        while (pos_ < text_.size() && text_.at(pos_).isSpace())
            ++pos_;
    }

    bool keyword(const char* word) {
        skipBlanks();
        const QString w = QString::fromLatin1(word);
        if (text_.mid(pos_, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype after = pos_ + w.size();
        if (after < text_.size() && (text_.at(after).isLetterOrNumber() || text_.at(after) == QLatin1Char('_')))
            return false;
        pos_ = after;
        return true;
    }

    NodePtr combine(FilterExpression::Node::Kind kind, NodePtr l, NodePtr r) {
        auto n = std::make_unique<FilterExpression::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    NodePtr parseOr() {
        auto left = parseAnd();
        while (keyword("or"))
            left = combine(FilterExpression::Node::Or, std::move(left), parseAnd());
        return left;
    }

    NodePtr parseAnd() {
        auto left = parseUnary();
        while (keyword("and"))
            left = combine(FilterExpression::Node::And, std::move(left), parseUnary());
        return left;
    }

    NodePtr parseUnary() {
        if (keyword("not"))
            return combine(FilterExpression::Node::Not, parseUnary(), nullptr);
        skipBlanks();
        if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('(')) {
            ++pos_;
            auto inner = parseOr();
            skipBlanks();
            if (pos_ >= text_.size() || text_.at(pos_) != QLatin1Char(')'))
                malformed(text_);
            ++pos_;
            return inner;
        }
        return parseCondition();
    }

    QString identifier() {
        skipBlanks();
        if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('[')) {
            const qsizetype end = text_.indexOf(QLatin1Char(']'), pos_);
            if (end < 0)
                malformed(text_);
            QString name = text_.mid(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
            return name;
        }
        const qsizetype start = pos_;
        while (pos_ < text_.size() && (text_.at(pos_).isLetterOrNumber() || text_.at(pos_) == QLatin1Char('_')))
            ++pos_;
        return text_.mid(start, pos_ - start);
    }

    NodePtr parseCondition() {
        const QString name = identifier();
        if (name.isEmpty())
            malformed(text_);
        const int field = resolve_(name);
        if (field < 0)
            throw Error(QStringLiteral("Поле «%1» не найдено").arg(name));
        auto node = std::make_unique<FilterExpression::Node>();
        node->field = field;
        if (keyword("like")) {
            // Everything after "like" is the pattern, whatever it holds.
            skipBlanks();
            node->kind = FilterExpression::Node::Like;
            node->pattern = LikePattern(text_.mid(pos_));
            pos_ = text_.size();
            return node;
        }
        skipBlanks();
        static const struct {
            const char* text;
            CompareOp op;
        } ops[] = {{"<>", CompareOp::Ne}, {"<=", CompareOp::Le}, {">=", CompareOp::Ge},
                   {"=", CompareOp::Eq},  {"<", CompareOp::Lt},  {">", CompareOp::Gt}};
        bool found = false;
        for (const auto& o : ops) {
            const QString t = QString::fromLatin1(o.text);
            if (text_.mid(pos_, t.size()) == t) {
                node->op = o.op;
                pos_ += t.size();
                found = true;
                break;
            }
        }
        if (!found)
            malformed(text_);
        node->literal = literal();
        return node;
    }

    QVariant literal() {
        skipBlanks();
        if (pos_ >= text_.size())
            malformed(text_);
        const QChar c = text_.at(pos_);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            ++pos_;
            while (true) {
                if (pos_ >= text_.size())
                    malformed(text_);
                if (text_.at(pos_) == c) {
                    if (pos_ + 1 < text_.size() && text_.at(pos_ + 1) == c) {
                        value += c;
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                value += text_.at(pos_++);
            }
            return value;
        }
        if (keyword("true"))
            return true;
        if (keyword("false"))
            return false;
        if (keyword("null"))
            return QVariant();
        const qsizetype start = pos_;
        if (text_.at(pos_) == QLatin1Char('-') || text_.at(pos_) == QLatin1Char('+'))
            ++pos_;
        while (pos_ < text_.size() && (text_.at(pos_).isDigit() || text_.at(pos_) == QLatin1Char('.') ||
                                       text_.at(pos_) == QLatin1Char('e') || text_.at(pos_) == QLatin1Char('E')))
            ++pos_;
        bool ok = false;
        const double v = text_.mid(start, pos_ - start).toDouble(&ok);
        if (!ok)
            malformed(text_);
        return v;
    }

    const QString& text_;
    const std::function<int(const QString&)>& resolve_;
    qsizetype pos_ = 0;
};

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool compare(const QVariant& value, CompareOp op, const QVariant& literal) {
    int order = 0;
    if (literal.typeId() == QMetaType::QString) {
        const QString a = value.isNull() ? QString() : value.toString();
        order = a.compare(literal.toString(), Qt::CaseInsensitive);
    } else if (literal.isNull()) {
        // "= null" tests emptiness.
        const bool empty = value.isNull();
        return op == CompareOp::Eq ? empty : op == CompareOp::Ne ? !empty : false;
    } else {
        // An empty value counts as 0 or false.
        double a = 0;
        if (!value.isNull()) {
            if (isNumeric(value)) {
                a = value.toDouble();
            } else {
                bool ok = false;
                a = value.toString().toDouble(&ok);
                if (!ok)
                    return false;
            }
        }
        const double b = literal.toDouble();
        order = a < b ? -1 : a > b ? 1 : 0;
    }
    switch (op) {
    case CompareOp::Eq:
        return order == 0;
    case CompareOp::Ne:
        return order != 0;
    case CompareOp::Lt:
        return order < 0;
    case CompareOp::Gt:
        return order > 0;
    case CompareOp::Le:
        return order <= 0;
    case CompareOp::Ge:
        return order >= 0;
    }
    return false;
}

bool evaluate(const FilterExpression::Node& n, const FilterRow& row) {
    switch (n.kind) {
    case FilterExpression::Node::And:
        return evaluate(*n.left, row) && evaluate(*n.right, row);
    case FilterExpression::Node::Or:
        return evaluate(*n.left, row) || evaluate(*n.right, row);
    case FilterExpression::Node::Not:
        return !evaluate(*n.left, row);
    case FilterExpression::Node::Like:
        return n.pattern.matchesFolded(row.foldedText(n.field));
    case FilterExpression::Node::Compare:
        return compare(row.value(n.field), n.op, n.literal);
    }
    return false;
}

} // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::parse(const QString& text, const std::function<int(const QString&)>& resolve) {
    FilterExpression e;
    if (text.trimmed().isEmpty())
        return e;
    Parser parser(text, resolve);
    e.root_ = parser.parse();
    return e;
}

bool FilterExpression::matches(const FilterRow& row) const {
    return !root_ || evaluate(*root_, row);
}

} // namespace solvane
