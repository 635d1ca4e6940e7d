"""What the installed package promises beside the code: the API reference in
step with the module, and the README naming every system package the backend
needs at run time."""
import importlib.util
import os

import _orvy

ROOT = os.path.join(os.path.dirname(__file__), os.pardir, os.pardir)


def load_script(name):
    spec = importlib.util.spec_from_file_location(name, os.path.join(ROOT, "scripts", name + ".py"))
    script = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(script)
    return script


def read(*parts):
    with open(os.path.join(ROOT, *parts), encoding="utf-8") as text:
        return text.read()


def test_the_api_reference_is_in_step_with_the_module():
    reference = load_script("api_reference")
    assert read("docs", "api.md") == reference.render(_orvy), reference.stale_message()


def test_the_readme_names_the_debian_package_of_every_runtime_library():
    listing = read("platform", "linux", "runtime_libraries.txt")
    packages = {line.split()[1] for line in listing.splitlines() if line.strip() and not line.startswith("#")}
    readme = read("README.md")
    assert sorted(package for package in packages if f"`{package}`" not in readme) == []
