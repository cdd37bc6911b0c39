"""Writes the docstrings of kelvane_arrays' Python front into its stub.

The front (`src/python/kelvane_arrays/__init__.py`) is the one place its
reference is written: `help()` shows it at run time, and this tool copies
the module's docstring and each public function's onto the stub
(`__init__.pyi`). An overloaded function carries it on its last overload,
the general one, where editors look for it (jedi reads the last; others
fall back to a sibling overload's) and the reference site, built from the
stubs, finds it; the other overloads keep a bare `...`.

    stub_docstrings.py          rewrite the stub where it differs
    stub_docstrings.py --check  exit 1, naming the functions, where it differs
"""
import ast
import sys
from pathlib import Path

PACKAGE = Path(__file__).resolve().parent.parent / "src/python/kelvane_arrays"
FRONT = PACKAGE / "__init__.py"
STUB = PACKAGE / "__init__.pyi"


def front_docstrings() -> dict[str, str]:
    """The module's docstring under "", and each function's of __all__."""
    tree = ast.parse(FRONT.read_text())
    public = next(ast.literal_eval(node.value) for node in tree.body if isinstance(node, ast.Assign)
                  and any(isinstance(t, ast.Name) and t.id == "__all__" for t in node.targets))
    docs = {"": ast.get_docstring(tree) or ""}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef) and node.name in public:
            docs[node.name] = ast.get_docstring(node) or ""
    return docs


def quoted(text: str, indent: str) -> list[str]:
    """A docstring's lines at `indent`, the quotes on their own line when it
    spans several."""
    lines = text.split("\n")
    if len(lines) == 1:
        return [f'{indent}"""{text}"""']
    return ([f'{indent}"""{lines[0]}'] + [f"{indent}{line}" if line else "" for line in lines[1:]]
            + [f'{indent}"""'])


def rewritten(stub: str, docs: dict[str, str]) -> tuple[str, list[str]]:
    """The stub with the front's docstrings, and the names that changed."""
    lines = stub.split("\n")
    tree = ast.parse(stub)
    changed: list[str] = []
    edits: list[tuple[int, int, list[str]]] = []  # (first line, end line exclusive, new lines)
    first = tree.body[0]
    has_module_doc = isinstance(first, ast.Expr) and isinstance(first.value, ast.Constant) \
        and isinstance(first.value.value, str)
    if not has_module_doc:
        edits.append((0, 0, quoted(docs[""], "")))
        changed.append("(module)")
    elif ast.get_docstring(tree) != docs[""]:
        edits.append((first.lineno - 1, first.end_lineno or first.lineno, quoted(docs[""], "")))
        changed.append("(module)")
    functions = [node for node in tree.body if isinstance(node, ast.FunctionDef) and node.name in docs]
    last = {node.name: node for node in functions}
    for node in functions:
        wanted = docs[node.name] if last[node.name] is node else None
        if ast.get_docstring(node) == wanted:
            continue
        edits.append(body_edit(lines, node, wanted))
        changed.append(node.name)
    for start, end, new in sorted(edits, reverse=True):
        lines[start:end] = new
    return "\n".join(lines), sorted(set(changed))


def body_edit(lines: list[str], node: ast.FunctionDef, doc: str | None) -> tuple[int, int, list[str]]:
    """The edit that gives a stub function the body `doc` (or `...`)."""
    body = node.body[0]
    end = node.end_lineno or body.lineno
    if body.lineno == node.body[0].lineno and isinstance(body, ast.Expr) and body.value.value is Ellipsis \
            and lines[body.lineno - 1][:body.col_offset].strip():  # type: ignore[attr-defined]
        # `def f(...) -> T: ...  # comment`: the head and comment stay on their line.
        line = lines[body.lineno - 1]
        head, comment = line[:body.col_offset].rstrip(), line[body.end_col_offset:].strip()  # type: ignore[misc]
        start = body.lineno - 1
    else:
        # A docstring below `def f(...) -> T:  # comment`.
        start = body.lineno - 2
        line = lines[start]
        head, _, comment = line.partition("  #")
        head, comment = head.rstrip(), (f"#{comment}".strip() if comment else "")
    comment = f"  {comment}" if comment else ""
    if doc is None:
        return start, end, [f"{head} ...{comment}"]
    return start, end, [f"{head}{comment}"] + quoted(doc, " " * (node.col_offset + 4))


def main() -> int:
    docs = front_docstrings()
    stub = STUB.read_text()
    new, changed = rewritten(stub, docs)
    if "--check" in sys.argv[1:]:
        if changed:
            print(f"{STUB}: docstrings differ from the front's for {', '.join(changed)}; "
                  f"run tools/stub_docstrings.py")
            return 1
        return 0
    if changed:
        STUB.write_text(new)
        print(f"{STUB}: wrote the docstrings of {', '.join(changed)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
