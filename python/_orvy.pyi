# Type stub for the _orvy extension module.
import os
from typing import Any, Callable, Optional, Sequence, Tuple, Union

class N:
    """Узел дерева виджетов."""

class Ctx:
    def __enter__(self) -> N: ...
    def __exit__(self, _t: Any = None, _v: Any = None, _tb: Any = None) -> bool: ...

class S:
    def __init__(self, vl: Any) -> None: ...
    def gt(self) -> Any:
        """Возвращает текущее значение."""
    def st(self, vl: Any) -> None:
        """Устанавливает новое значение."""
    def __call__(self) -> Any: ...

def sgnl(vl: Any) -> S:
    """Создаёт сигнал с начальным значением."""

class Fx: ...
class Fnt: ...
class Post: ...
class Rct: ...
class Dlg: ...

class W:
    def __init__(self, ttl: str = "ORVY", w: int = 1280, h: int = 720, thm: str = "drk", glass: bool = False,
                 tint: float = 0.0, blur: bool = False, frameless: bool = False, topmost: bool = False,
                 center: Any = None, resizable: bool = True, minbox: bool = True, maxbox: bool = True,
                 closebox: bool = True, insp: bool = False) -> None: ...
    # Window
    def go(self) -> None:
        """Показывает окно и запускает цикл сообщений."""
    def close(self) -> None:
        """Закрывает окно программно."""
    def show(self, node: Optional[N] = None, on: bool = True) -> None:
        """Показывает окно; с узлом — управляет его видимостью."""
    def rt(self) -> N:
        """Возвращает корневой узел окна."""
    def size(self) -> Tuple[float, float]:
        """Размер клиентской области окна: `(ширина, высота)`."""
    def move(self, x: float, y: float) -> None:
        """Перемещает окно; `(x, y)` — левый верхний угол на экране."""
    @staticmethod
    def screen() -> Tuple[float, float]:
        """Размер основного экрана в пикселях: `(ширина, высота)`."""
    def on_resize(self, f: Callable[[float, float], Any]) -> None:
        """Колбэк изменения размера окна; `f(width, height)` клиентской области."""
    def frame(self, *, icon: Optional[str] = None, cap: Optional[str] = None, cap_txt: Optional[str] = None,
              brd: Optional[str] = None, dark: Optional[bool] = None) -> None:
        """Оформление рамки окна; вызывается до показа окна."""
    def font(self, family: str = "Segoe UI", size: float = 20.0) -> None:
        """Базовый шрифт приложения: семейство и размер."""
    def build(self, f: Callable[[], Any]) -> None:
        """Достраивает дерево виджетов; работает и после показа окна."""
    def subwin(self, ttl: str = "", w: int = 520, h: int = 420, *, thm: str = "drk", modal: bool = False,
               center: Any = None, frameless: bool = False, topmost: bool = False, resizable: bool = True,
               minbox: bool = False, maxbox: bool = False, closebox: bool = True, x: Optional[float] = None,
               y: Optional[float] = None, glass: bool = False, tint: float = 0.0, blur: bool = False,
               insp: bool = False, on_close: Optional[Callable[[], Any]] = None) -> "W":
        """Создаёт дочернее окно с собственным деревом виджетов."""
    def __enter__(self) -> "W": ...
    def __exit__(self, _t: Any = None, _v: Any = None, _tb: Any = None) -> None: ...
    def on_error(self, f: Callable[[str], Any]) -> None:
        """Хук необработанных исключений колбэков; `f(text)` с traceback."""
    # CSS
    def css(self, text: str, *, replace: bool = False) -> None:
        """Применяет CSS-подмножество из строки."""
    def css_file(self, path: Union[str, "os.PathLike[str]"], *, replace: bool = False) -> None:
        """Применяет CSS из файла по пути."""
    def css_hot(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Следит за CSS-файлом и перезагружает его на лету."""
    def cls(self, n: N, name: str) -> None:
        """Присваивает узлу CSS-класс."""
    # Layout
    def grow(self, n: N, g: float) -> None:
        """Задаёт flex-вес узла вдоль главной оси."""
    def align(self, n: N, *, justify: str = "st", cross: str = "str") -> None:
        """Выравнивает детей узла: `justify` (st/cnt/end/btw), `cross` (str/st/cnt/end)."""
    def pin(self, n: N, *, l: Optional[float] = None, t: Optional[float] = None, r: Optional[float] = None,
            b: Optional[float] = None) -> None:
        """Пинит узел к краям родителя; `l/t/r/b` — отступы, `None` — не привязан."""
    def pl(self, n: N, *, x: Optional[float] = None, y: Optional[float] = None, r: Optional[float] = None,
           b: Optional[float] = None, w: Optional[float] = None, h: Optional[float] = None) -> None:
        """Размещает узел абсолютно: `x`, `y`, `r`, `b`, `w`, `h`."""
    def gr(self, n: N, r: int = 0, c: int = 0, *, rs: int = 1, cs: int = 1) -> None:
        """Ставит узел в ячейку сетки: строка, столбец, растяжки."""
    def pk(self, n: N, side: str = "t", *, fill: Optional[str] = None, exp: bool = False) -> None:
        """Прижимает узел к стороне: `t`/`b`/`l`/`r`, `fill`, `exp`."""
    def lim(self, n: N, *, min_w: Optional[float] = None, min_h: Optional[float] = None,
            max_w: Optional[float] = None, max_h: Optional[float] = None) -> None:
        """Пределы размеров узла: `lim(node, min_w=200.0)`."""
    def dep(self, n: N, z: int = 0) -> None:
        """Задаёт глубину узла: больше `z` — ближе к зрителю (`dep(node, 2)`)."""
    # Builders
    def fr(self, rad: float = 12.0, *, pr: Optional[N] = None, ax: str = "v", pd: float = 0.0, gp: float = 0.0,
           w: Optional[float] = None, h: Optional[float] = None, elev: float = 0.0) -> N:
        """Добавляет панель; возвращает её узел."""
    def bx(self, rad: float = 12.0, *, pr: Optional[N] = None, ax: str = "v", pd: float = 0.0, gp: float = 0.0,
           w: Optional[float] = None, h: Optional[float] = None, elev: float = 0.0) -> Ctx:
        """Панель-контейнер как контекст: `with win.bx(...) as p:`."""
    def lb(self, txt: str = "", *, pr: Optional[N] = None, bind: Optional[Callable[[], str]] = None,
           icon: Optional[str] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None, wrap: bool = False) -> N:
        """Добавляет метку; `bind` — колбэк, возвращающий текст."""
    def bt(self, lb: str = "", *, pr: Optional[N] = None, rad: float = 10.0, icon: Optional[str] = None,
           tip: Optional[str] = None, toast: Optional[str] = None, pd: float = 0.0, gp: float = 0.0,
           w: Optional[float] = None, h: Optional[float] = None, clk: Optional[Callable[[], Any]] = None,
           elev: float = 0.0) -> N:
        """Добавляет кнопку; `clk` вызывается по нажатию."""
