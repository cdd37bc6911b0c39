// The smile classes GVVSpline, VolGeo and CubicSpline: one family with the
// same members, conversions and borrowing, differing only in the model each
// instance owns. Every member converts its arguments, borrows the model,
// makes one model call and converts the result back.
#include "python/kelvane/classes.hpp"

#include <string>

#include "python/shared/binding.hpp"
#include "python/kelvane/native_class.hpp"
#include "volmodel/vol_model/cubic_spline.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace kelvane::py {
namespace {

using Kind = Borrow::Kind;

template <class Model>
struct SmileTraits;

template <>
struct SmileTraits<vol_model::GVVSpline> {
    static constexpr char name[] = "GVVSpline";
    static constexpr const char* qualified_name = "builtins.GVVSpline";
    static constexpr const char* doc = "GVVSpline(expiry, **params)\n--\n\n";
};
template <>
struct SmileTraits<vol_model::VolGeo> {
    static constexpr char name[] = "VolGeo";
    static constexpr const char* qualified_name = "builtins.VolGeo";
    static constexpr const char* doc = "VolGeo(expiry, **params)\n--\n\n";
};
template <>
struct SmileTraits<vol_model::CubicSpline> {
    static constexpr char name[] = "CubicSpline";
    static constexpr const char* qualified_name = "builtins.CubicSpline";
    static constexpr const char* doc = "CubicSpline(expiry, **params)\n--\n\n";
};

constexpr const char* expiry_params[] = {"expiry"};
constexpr const char* with_params_params[] = {"expiry", "params"};
constexpr const char* vol_params[] = {"ttx", "spot", "strikes"};
constexpr const char* vol_single_params[] = {"ttx", "spot", "strike"};
constexpr const char* param_params[] = {"param"};
constexpr const char* set_params[] = {"param", "value"};
constexpr const char* reanchor_params[] = {"spot", "ttx"};
constexpr const char* bump_params[] = {"param", "d_value"};
constexpr const char* jacobian_params[] = {"ttx", "spot", "strikes", "params"};

template <class Model>
struct Smile {
    using Traits = SmileTraits<Model>;
    static inline PyObject* class_cache = nullptr;

    static Model& model(PyObject* self) { return instance_of<Model>(self)->value; }
    static BorrowFlag& flag(PyObject* self) { return instance_of<Model>(self)->borrow; }

    static PyObject* make(PyTypeObject* type, const UtcInstant& expiry, ParamDict params) {
        return new_instance(type, Model::with_params(expiry, std::move(params)));
    }

    // Model(expiry, **params): the keywords other than expiry are collected
    // into the parameter dictionary, converted before the expiry.
    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        static constexpr Signature sig{Traits::name, "__new__", expiry_params, 1, true};
        BoundArgs<1> bound;
        if (!bind(sig, args, kwargs, bound)) return nullptr;
        ParamDict params;
        if (bound.extra_keywords && !convert(bound.extra_keywords.get(), params)) {
            prefix_argument_error("params");
            return nullptr;
        }
        UtcInstant expiry;
        if (!convert(bound.slots[0], expiry)) return nullptr;
        return make(type, expiry, std::move(params));
    }

    static PyObject* with_params(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "with_params", with_params_params);
        BoundArgs<2> bound;
        ParamDict params;
        UtcInstant expiry;
        if (!bind(sig, args, nargs, kwnames, bound) || !convert_arg(sig, bound.slots[1], 1, params) ||
            !convert_arg(sig, bound.slots[0], 0, expiry)) {
            return nullptr;
        }
        PyRef cls = PyRef::steal(class_object());
        if (!cls) return nullptr;
        return make(reinterpret_cast<PyTypeObject*>(cls.get()), expiry, std::move(params));
    }

    static PyObject* expiry(PyObject* self, void*) {
        const Borrow borrow(flag(self), Kind::shared);
        if (!borrow) return nullptr;
        return to_python(model(self).expiry());
    }

    static PyObject* get_vol(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "get_vol", vol_params);
        BoundArgs<3> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::shared);
        double ttx, spot;
        StrikeBlocks strikes;
        if (!borrow || !convert_args(sig, bound, ttx, spot, strikes)) return nullptr;
        // The borrow keeps the model unchanged while later blocks convert.
        const Model& smile = model(self);
        return strip_to_python(strikes, "strikes", [&](std::span<const double> block, std::span<double> vols) {
            smile.fill_vols(ttx, spot, block, vols);
        });
    }

    static PyObject* get_vol_single(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "get_vol_single", vol_single_params);
        BoundArgs<3> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::shared);
        double ttx, spot, strike;
        if (!borrow || !convert_args(sig, bound, ttx, spot, strike)) return nullptr;
        return to_python(model(self).get_vol_single(ttx, spot, strike));
    }

    // The members without arguments: arb_free, get_param_dict, get_fitting_params.
    template <auto Read>
    static PyObject* reader(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                            const char* member) {
        const Signature sig = required_params(Traits::name, member, {});
        BoundArgs<0> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::shared);
        if (!borrow) return nullptr;
        return to_python((model(self).*Read)());
    }

    static PyObject* arb_free(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return reader<&Model::arb_free>(self, args, nargs, kwnames, "arb_free");
    }
    static PyObject* get_param_dict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return reader<&Model::get_param_dict>(self, args, nargs, kwnames, "get_param_dict");
    }
    static PyObject* get_fitting_params(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return reader<&Model::get_fitting_params>(self, args, nargs, kwnames, "get_fitting_params");
    }

    static PyObject* get_parameter(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "get_parameter", param_params);
        BoundArgs<1> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::shared);
        std::string param;
        if (!borrow || !convert_args(sig, bound, param)) return nullptr;
        return to_python(model(self).get_parameter(param));
    }

    static PyObject* set_param(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "set_param", set_params);
        BoundArgs<2> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::exclusive);
        std::string param;
        double value;
        if (!borrow || !convert_args(sig, bound, param, value)) return nullptr;
        model(self).set_param(param, value);
        return none();
    }

    static PyObject* reanchor(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "reanchor", reanchor_params);
        BoundArgs<2> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::exclusive);
        double spot, ttx;
        if (!borrow || !convert_args(sig, bound, spot, ttx)) return nullptr;
        const auto done = model(self).reanchor(spot, ttx);
        if (!done) {
            raise_error(done.error());
            return nullptr;
        }
        return none();
    }

    static PyObject* bump_param(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "bump_param", bump_params);
        BoundArgs<2> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::exclusive);
        std::string param;
        double d_value;
        if (!borrow || !convert_args(sig, bound, param, d_value)) return nullptr;
        model(self).bump_param(param, d_value);
        return none();
    }

    static PyObject* get_jacobian(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        static constexpr Signature sig = required_params(Traits::name, "get_jacobian", jacobian_params);
        BoundArgs<4> bound;
        if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
        const Borrow borrow(flag(self), Kind::shared);
        double ttx, spot;
        StrikeList strikes;
        NameList params;
        if (!borrow || !convert_args(sig, bound, ttx, spot, strikes, params)) return nullptr;
        const std::vector<std::string> names = vol_model::distinct_names(params);
        const Model& smile = model(self);
        return columns_to_python(strikes.values(), names,
                                 [&](std::span<const double> block, std::span<const std::span<double>> columns) {
                                     smile.fill_jacobian(ttx, spot, block, names, columns);
                                 });
    }

    static inline PyMethodDef methods[] = {
        fastcall_def<with_params>("with_params", "with_params(expiry, params)\n--\n\n", METH_STATIC),
        fastcall_def<get_vol>("get_vol", "get_vol($self, ttx, spot, strikes)\n--\n\n"),
        fastcall_def<get_vol_single>("get_vol_single", "get_vol_single($self, ttx, spot, strike)\n--\n\n"),
        fastcall_def<arb_free>("arb_free", "arb_free($self)\n--\n\n"),
        fastcall_def<get_parameter>("get_parameter", "get_parameter($self, param)\n--\n\n"),
        fastcall_def<set_param>("set_param", "set_param($self, param, value)\n--\n\n"),
        fastcall_def<get_param_dict>("get_param_dict", "get_param_dict($self)\n--\n\n"),
        fastcall_def<get_fitting_params>("get_fitting_params", "get_fitting_params($self)\n--\n\n"),
        fastcall_def<reanchor>("reanchor", "reanchor($self, spot, ttx)\n--\n\n"),
        fastcall_def<bump_param>("bump_param", "bump_param($self, param, d_value)\n--\n\n"),
        fastcall_def<get_jacobian>("get_jacobian", "get_jacobian($self, ttx, spot, strikes, params)\n--\n\n"),
        {nullptr, nullptr, 0, nullptr},
    };

    static inline PyGetSetDef properties[] = {
        {"expiry", guarded<expiry>, nullptr, "", nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };

    static PyObject* class_object() {
        static const ClassDef def{Traits::qualified_name, Traits::doc, guarded<construct>, dealloc_instance<Model>,
                                  methods, properties, instance_size<Model>()};
        return py::class_object(def, class_cache);
    }
};

}  // namespace

PyObject* gvv_spline_class() { return Smile<vol_model::GVVSpline>::class_object(); }
PyObject* vol_geo_class() { return Smile<vol_model::VolGeo>::class_object(); }
PyObject* cubic_spline_class() { return Smile<vol_model::CubicSpline>::class_object(); }

}  // namespace kelvane::py
