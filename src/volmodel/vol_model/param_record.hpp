// Internals shared by the three models: the mapping between a parameter
// record's fields and their dictionary names, the bump-and-rebuild recipe
// of clone_and_bump, and the Jacobian that shares the strike-only work.
// Not part of the models' public surface.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/math/vector_width.hpp"
#include "volmodel/vol_model/strip_lanes.hpp"
#include "volmodel/vol_model/vol_slice.hpp"

namespace vol_model::detail {

template <class Record>
struct NamedField {
    std::string_view name;
    double Record::*member;
};

// The record type is deduced from the record argument alone.
template <class Record>
using FieldTable = std::type_identity_t<std::span<const NamedField<Record>>>;

template <class Record>
ParamMap fields_to_map(const Record& record, FieldTable<Record> fields) {
    ParamMap map;
    map.reserve(fields.size());
    for (const auto& field : fields) map.emplace(std::string(field.name), record.*field.member);
    return map;
}

// Starts from the record's defaults and takes every field the map names.
template <class Record>
Record record_from_map(const ParamMap& params, FieldTable<Record> fields) {
    Record record{};
    for (const auto& field : fields) {
        if (auto it = params.find(std::string(field.name)); it != params.end()) {
            record.*field.member = it->second;
        }
    }
    return record;
}

template <class Record>
void assign_field(Record& record, FieldTable<Record> fields,
                  std::string_view name, double value) {
    for (const auto& field : fields) {
        if (field.name == name) {
            record.*field.member = value;
            return;
        }
    }
}

template <class Record>
const NamedField<Record>* find_field(FieldTable<Record> fields, std::string_view name) noexcept {
    for (const auto& field : fields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

inline std::optional<double> look_up(const ParamMap& map, const std::string& name) {
    if (auto it = map.find(name); it != map.end()) return it->second;
    return std::nullopt;
}

// The receiver's dictionary, each bumped entry replaced by amount + value
// (names it does not hold are skipped), rebuilt by the model's with_params.
template <class Model>
std::unique_ptr<VolSlice> bump_and_rebuild(const Model& model, const ParamMap& bumps) {
    ParamMap params = model.get_param_dict();
    for (const auto& [name, amount] : bumps) {
        if (auto it = params.find(name); it != params.end()) it->second = amount + it->second;
    }
    return std::make_unique<Model>(Model::with_params(model.expiry(), std::move(params)));
}

// A model's evaluation split at the strike, so that work shared by many
// evaluations is done once. A Kernel provides:
//   Record                         the parameter record;
//   Setup prepare(record, ttx, spot)   every strike-independent quantity;
//   double strike_term(setup, K)   what depends on the strike but on no
//                                  parameter except those named next;
//   bool term_follows(member)      whether bumping that field changes
//                                  strike_term (GVVSpline's ref_spot);
//   double vol(setup, term)        the volatility from the two;
//   strike_term_lanes<V>, vol_lanes<V>   the same two over lanes of type V,
//                                  whose V = double instantiations are
//                                  strike_term and vol (strip_lanes.hpp).
// vol(setup, strike_term(setup, K)) is the model's get_vol for strike K.
//
// Where a formula is inlined the compiler may swap the operands of + and *
// differently, which leaves the value alone but can change which NaN's
// payload a result carries. A model whose volatilities pass NaN payloads
// through compiles the three once each and never inlines them
// (KELVANE_ONE_COPY): with one copy of the machine code, every path
// (get_vol, get_vol_single, the Jacobian, the general recipes built on
// get_vol) gives the same bytes, NaN payloads included. The vector steps
// of a strip are other copies, so every lane of theirs that comes out NaN
// is evaluated again by this one (strip_lanes.hpp).

// g++'s noipa also forbids clones and analysis across the call; clang, which
// knows no noipa, is held to noinline. An attribute cannot be named by a
// template, hence the macro.
#if __has_cpp_attribute(gnu::noipa)
#define KELVANE_ONE_COPY gnu::noipa
#else
#define KELVANE_ONE_COPY gnu::noinline
#endif

// A strip on the vector unit the machine runs (lanes::evaluate_at_width),
// with the bits of the scalar steps strike by strike.
template <class Kernel>
void evaluate_into(const typename Kernel::Setup& setup, std::span<const double> strikes,
                   std::span<double> vols) {
    lanes::evaluate_at_width<Kernel>(kelvane::vectors::width(), setup, strikes, vols);
}

// The same at a chosen width; a width this machine lacks falls back to one
// strike at a time.
template <class Kernel>
void evaluate_into_at_width(std::size_t width, const typename Kernel::Setup& setup,
                            std::span<const double> strikes, std::span<double> vols) {
    if (width > kelvane::vectors::widest_supported()) width = 1;
    lanes::evaluate_at_width<Kernel>(width, setup, strikes, vols);
}

template <class Kernel>
std::vector<double> evaluate(const typename Kernel::Setup& setup, std::span<const double> strikes) {
    std::vector<double> vols(strikes.size());
    evaluate_into<Kernel>(setup, strikes, vols);
    return vols;
}

// The forward-difference columns of the general recipe over a strip, one
// per name, column j (as long as the strikes) for names[j], with the same
// bits: the bumped record is the receiver's with jacobian_bump + value in
// the bumped field (the bump-and-rebuild expression, without the
// dictionary round trip, which copies every value unchanged), and the
// strike terms are computed once unless the bumped field moves them. A name
// the record lacks leaves the model unchanged, so its bumped vols are the
// base vols bit for bit; a repeated name recomputes the same column. The
// set-up depends on ttx, spot and the record alone, so a strip cut into
// blocks gives the bits of the whole. Terms and vols are evaluated on the
// machine's vector unit as get_vol's are (strip_lanes.hpp), with the bits
// of the scalar steps.
// Each difference is divided by the bump itself: multiplying by 100 instead
// would differ in the last bit.
template <class Kernel>
void shared_jacobian_columns(const typename Kernel::Record& record,
                             FieldTable<typename Kernel::Record> fields, double ttx, double spot,
                             std::span<const double> strikes, std::span<const std::string> names,
                             std::span<const std::span<double>> columns) {
    using Record = typename Kernel::Record;
    const std::size_t n = strikes.size();
    const std::size_t width = kelvane::vectors::width();
    const typename Kernel::Setup base_setup = Kernel::prepare(record, ttx, spot);
    std::vector<double> terms(n);
    std::vector<double> base(n);
    std::vector<double> vols(n);
    lanes::run_at_width<Kernel, lanes::Job::terms_and_vols>(width, base_setup, strikes, terms.data(), base);

    for (std::size_t j = 0; j < names.size(); ++j) {
        const std::span<double> d = columns[j];
        const NamedField<Record>* field = find_field<Record>(fields, names[j]);
        if (field == nullptr) {
            for (std::size_t i = 0; i < n; ++i) d[i] = (base[i] - base[i]) / jacobian_bump;
            continue;
        }
        Record bumped = record;
        bumped.*field->member = jacobian_bump + bumped.*field->member;
        const typename Kernel::Setup setup = Kernel::prepare(bumped, ttx, spot);
        if (Kernel::term_follows(field->member)) {
            lanes::run_at_width<Kernel, lanes::Job::vols>(width, setup, strikes, nullptr, vols);
        } else {
            lanes::run_at_width<Kernel, lanes::Job::vols_of_terms>(width, setup, terms, nullptr, vols);
        }
        for (std::size_t i = 0; i < n; ++i) d[i] = (vols[i] - base[i]) / jacobian_bump;
    }
}

// The Jacobian map of shared_jacobian_columns over the whole strip, one
// column per distinct name.
template <class Kernel>
JacobianMap shared_jacobian(const typename Kernel::Record& record,
                            FieldTable<typename Kernel::Record> fields, double ttx, double spot,
                            std::span<const double> strikes, std::span<const std::string> names) {
    const std::vector<std::string> distinct = distinct_names(names);
    std::vector<std::vector<double>> columns(distinct.size(), std::vector<double>(strikes.size()));
    const std::vector<std::span<double>> spans(columns.begin(), columns.end());
    shared_jacobian_columns<Kernel>(record, fields, ttx, spot, strikes, distinct, spans);
    JacobianMap result;
    for (std::size_t j = 0; j < distinct.size(); ++j) result.emplace(distinct[j], std::move(columns[j]));
    return result;
}

}  // namespace vol_model::detail
