"""A griffe extension for the reference site: overloads of a stub.

In a stub an overloaded function is only its overloads: there is no
implementation for griffe to hang them on, so griffe would drop the name.
Here the last overload, the general one that carries the docstring (see
tools/stub_docstrings.py), becomes the function and the others its
overloads.
"""
from typing import Any

import griffe


class StubOverloads(griffe.Extension):
    def on_members(self, *, obj: griffe.Object, **kwargs: Any) -> None:
        pending = getattr(obj, "overloads", None)
        if not pending:
            return
        for name, definitions in list(pending.items()):
            if name in obj.members or not definitions:
                continue
            *others, last = definitions
            last.overloads = others
            obj.set_member(name, last)
            del pending[name]
