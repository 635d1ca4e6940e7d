# Type stub for the _orvy extension module.
import os
from typing import Any, Callable, List, Mapping, Optional, Sequence, Tuple, Union, final

@final
class N:
    """Узел дерева виджетов."""

@final
class Ctx:
    def __enter__(self) -> N: ...
    def __exit__(self, _t: Any = None, _v: Any = None, _tb: Any = None) -> bool: ...

@final
class S:
    def __init__(self, vl: Any) -> None: ...
    def gt(self) -> Any:
        """Возвращает текущее значение."""
    def st(self, vl: Any) -> None:
        """Устанавливает новое значение."""
    def __call__(self) -> Any: ...

def sgnl(vl: Any) -> S:
    """Создаёт сигнал с начальным значением."""

@final
class Fx:
    def __call__(self, sig: Any, to: float, *, frm: Optional[float] = None, dur: float = 0.3,
                 ease: str = "out") -> None: ...

@final
class Fnt:
    def __call__(self, family: Optional[str] = None, size: Optional[float] = None) -> None: ...

@final
class Post:
    def __call__(self, f: Callable[[], Any]) -> None: ...
@final
class Rct:
    def __call__(self, node: N) -> Tuple[float, float, float, float]: ...

@final
class Dlg:
    def __call__(self, title: str, message: str, buttons: Sequence[str], *,
                 on: Optional[Callable[[int], Any]] = None) -> None: ...
    def msg(self, title: str, message: str, *, ok: str = "Ок", on: Optional[Callable[[int], Any]] = None) -> None:
        """Информационное окно с одной кнопкой."""
    def alert(self, message: str, *, title: str = "Внимание", ok: str = "Ок",
              on: Optional[Callable[[int], Any]] = None) -> None:
        """Предупреждение с одной кнопкой."""

# Not exported by the module; reached through W.nt(), W.thm(), W.clip() and W.file().
@final
class Note:
    def __call__(self, title: str, text: str, *, secs: float = 4.0, action: str = "", corner: str = "tr",
                 on: Optional[Callable[[], Any]] = None) -> None: ...
    def snack(self, text: str, *, secs: float = 4.0, action: str = "", corner: str = "",
              on: Optional[Callable[[], Any]] = None) -> None:
        """Снэкбар; без `corner` — по центру внизу окна."""

@final
class Thm:
    def __call__(self, name: str) -> None: ...

@final
class Clip:
    def get(self) -> str:
        """Возвращает текст из буфера обмена; пустая строка, если он пуст."""
    def set(self, text: str) -> None:
        """Кладёт текст в буфер обмена."""

@final
class Fl:
    def open(self, *, title: str = "", patterns: Sequence[Tuple[str, str]] = ...,
             on: Optional[Callable[[str], Any]] = None) -> None:
        """Диалог выбора файла; `on(path)` с путём или "" при отмене."""
    def save(self, *, title: str = "", name: str = "", patterns: Sequence[Tuple[str, str]] = ...,
             on: Optional[Callable[[str], Any]] = None) -> None:
        """Диалог сохранения; `name` — имя по умолчанию."""
    def dir(self, *, title: str = "", on: Optional[Callable[[str], Any]] = None) -> None:
        """Диалог выбора папки; `on(path)` с путём или ""."""

@final
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
    @staticmethod
    def measure_text(text: str, size: float = 15.0, family: str = "Segoe UI") -> Tuple[float, float]:
        """Ширина и высота строки в пикселях: `(w, h)`."""
    @staticmethod
    def frames(path: Union[str, "os.PathLike[str]"]) -> int:
        """Число кадров в файле изображения; для GIF — длина анимации."""
    def rects(self) -> Rct:
        """Доступ к прямоугольникам узлов: `rc = win.rects()`, затем `rc(node)`."""
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
    def push(self, title: str = "", text: str = "", *, secs: float = 3.0, w: int = 200, h: int = 150,
             x: Optional[float] = None, y: Optional[float] = None, bg: str = "#202632", fg: str = "#eef3ff",
             font: Optional[str] = None, size: float = 16.0, rad: float = 8.0, pd: float = 10.0, gp: float = 6.0,
             click: bool = True, on_close: Optional[Callable[[], Any]] = None) -> None:
        """Всплывающее сообщение поверх всех окон, независимое от родителя."""
    def __enter__(self) -> "W": ...
    def __exit__(self, _t: Any = None, _v: Any = None, _tb: Any = None) -> None: ...
    def on_error(self, f: Callable[[str], Any]) -> None:
        """Хук необработанных исключений колбэков; `f(text)` с traceback."""
    # Timers, posting and window-property signals
    def every(self, ms: float, f: Callable[[], Any]) -> int:
        """Периодический вызов каждые `ms` мс; возвращает идентификатор."""
    def after(self, ms: float, f: Callable[[], Any]) -> int:
        """Одноразовый вызов через `ms` мс; возвращает идентификатор."""
    def cancel(self, tid: int) -> None:
        """Отменяет таймер по идентификатору; повторный вызов безвреден."""
    def post(self) -> Post:
        """Очередь вызовов в UI-потоке: `p = win.post()`, далее `p(f)` из любого потока."""
    def bindv(self, node: N, f: Callable[[], float]) -> None:
        """Привязывает числовой колбэк к узлу (значение или страница стопки)."""
    def bindb(self, node: N, f: Callable[[], Sequence[float]]) -> None:
        """Привязывает `(padding, gap)` контейнера к колбэку."""
    def bindl(self, node: N, f: Callable[[], Sequence[str]]) -> None:
        """Привязывает пункты списка к колбэку, возвращающему список строк."""
    def bindt(self, node: N, f: Callable[[], Sequence[Sequence[Any]]]) -> None:
        """Привязывает строки таблицы к колбэку, возвращающему список рядов."""
    def bindz(self, node: N, f: Callable[[], float]) -> None:
        """Привязывает глубину `z` узла к колбэку, возвращающему число."""
    def bindp(self, node: N, f: Callable[[], Tuple[float, float, float, float]]) -> None:
        """Привязывает абсолютную позицию узла к колбэку `(x, y, w, h)`."""
    def tint(self, sig: Callable[[], float]) -> None:
        """Привязывает прозрачность фона окна к сигналу 0..1."""
    def blur(self, sig: Callable[[], float]) -> None:
        """Привязывает силу размытия к сигналу 0..1 (0 — выключено)."""
    def blur_mode(self, sig: Callable[[], float]) -> None:
        """Привязывает режим фона к сигналу: 0 — нет, иначе — размытие."""
    def drag_smooth(self, sig: Callable[[], float]) -> None:
        """Привязывает гашение размытия при перемещении к сигналу (0/1)."""
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
    def grp(self, title: str = "", *, pr: Optional[N] = None, rad: float = 12.0, ax: str = "v", pd: float = 12.0,
            gp: float = 8.0, w: Optional[float] = None, h: Optional[float] = None) -> Ctx:
        """Группа с заголовком как контекст: `with win.grp("Имя"):`."""
    def scr(self, *, pr: Optional[N] = None, pd: float = 8.0, gp: float = 8.0, w: Optional[float] = None,
            h: Optional[float] = None) -> Ctx:
        """Область прокрутки как контекст: `with win.scr():`."""
    def stk(self, *, pr: Optional[N] = None, page: int = 0, bind: Optional[Callable[..., Any]] = None,
            w: Optional[float] = None, h: Optional[float] = None) -> Ctx:
        """Стопка страниц как контекст; `bind` — колбэк, возвращающий индекс."""
    def spl(self, *, pr: Optional[N] = None, ratio: float = 0.5, vertical: bool = True, w: Optional[float] = None,
            h: Optional[float] = None) -> Ctx:
        """Разделитель двух областей как контекст; тянется мышью."""
    def acc(self, title: str = "", *, pr: Optional[N] = None, open: bool = False, grp: int = 0,
            ch: Optional[Callable[..., Any]] = None, rad: float = 10.0, pd: float = 8.0, gp: float = 8.0,
            w: Optional[float] = None, h: Optional[float] = None) -> Ctx:
        """Секция аккордеона как контекст: `with win.acc("Имя"):`."""
    def tab(self, labels: Sequence[str], *, pr: Optional[N] = None, sel: int = 0,
            ch: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
            h: Optional[float] = None) -> Ctx:
        """Добавляет вкладки как контекст; вложенные контейнеры — их содержимое."""
    def dock(self, ttl: str = "", *, pr: Optional[N] = None, side: str = "l", size: float = 260.0, open: bool = True,
             ax: str = "v", pd: float = 10.0, gp: float = 8.0) -> Ctx:
        """Док-панель с заголовком; клик по шапке сворачивает."""
    def pop(self, *, w: float = 240.0, h: float = 40.0, on_close: Optional[Callable[..., Any]] = None) -> Ctx:
        """Слой поверх всего окна; содержимое строится внутри `with`."""
    def lnk(self, lb: str = "", *, pr: Optional[N] = None, clk: Optional[Callable[..., Any]] = None, pd: float = 0.0,
            gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет ссылку; `clk` вызывается по нажатию."""
    def sbt(self, lb: str, opts: Sequence[str], *, pr: Optional[N] = None, clk: Optional[Callable[..., Any]] = None,
            ch: Optional[Callable[..., Any]] = None, rad: float = 10.0, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Кнопка с меню; `clk` — основное действие, `ch(i)` — пункт меню."""
    def tgl(self, lb: str = "", *, pr: Optional[N] = None, icon: Optional[str] = None, tip: Optional[str] = None, on: bool = False,
            clk: Optional[Callable[..., Any]] = None, sig: Any = None, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет кнопку-переключатель; `clk(on)` при смене состояния."""
    def ch(self, lb: str = "", *, pr: Optional[N] = None, chk: bool = False, clk: Optional[Callable[..., Any]] = None,
           sig: Any = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None) -> N:
        """Добавляет флажок; `clk` вызывается после переключения."""
    def sw(self, lb: str = "", *, pr: Optional[N] = None, on: bool = False, clk: Optional[Callable[..., Any]] = None,
           sig: Any = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None) -> N:
        """Добавляет переключатель; `clk(on)` при смене состояния."""
    def rd(self, lb: str = "", *, pr: Optional[N] = None, grp: int = 0, on: bool = False,
           clk: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None) -> N:
        """Добавляет радиокнопку группы `grp`; `clk()` при выборе."""
    def sep(self, *, pr: Optional[N] = None, vertical: bool = False, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет разделитель; `vertical` — вертикальная линия."""
    def tx(self, txt: str = "", *, pr: Optional[N] = None, sig: Any = None, ph: str = "", pd: float = 0.0,
           gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет поле ввода; `sig` — сигнал текста, `ph` — подсказка пустого поля."""
    def ta(self, txt: str = "", *, pr: Optional[N] = None, sig: Any = None, ph: str = "", pd: float = 0.0,
           gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Многострочное поле ввода; Enter — перенос, `ph` — подсказка пустого поля."""
    def spin(self, value: float = 0.0, *, pr: Optional[N] = None, min: float = 0.0, max: float = 100.0,
             step: float = 1.0, ch: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 6.0,
             w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Числовое поле с кнопками −/+; `ch(value)` при изменении."""
    def sl(self, vl: float = 0.5, *, pr: Optional[N] = None, ch: Optional[Callable[..., Any]] = None, sig: Any = None,
           pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет ползунок 0..1; `ch(value)` при перетаскивании."""
    def rsl(self, lo: float = 0.25, hi: float = 0.75, *, pr: Optional[N] = None,
            ch: Optional[Callable[..., Any]] = None, sig: Any = None, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Диапазонный ползунок 0..1; `ch(lo, hi)` при перетаскивании."""
    def dl(self, vl: float = 0.5, *, pr: Optional[N] = None, lb: str = "", ch: Optional[Callable[..., Any]] = None,
           bind: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None) -> N:
        """Круговой регулятор 0..1; тянуть вверх/вниз, `ch(value)`."""
    def pr(self, vl: float = 0.0, *, pr: Optional[N] = None, bind: Optional[Callable[..., Any]] = None,
           pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет индикатор прогресса; `bind` — колбэк значения 0..1."""
    def gg(self, value: float = 0.0, *, pr: Optional[N] = None, lb: str = "",
           bind: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None) -> N:
        """Круговой индикатор; `bind` — колбэк значения 0..1."""
    def mt(self, vl: float = 0.0, *, pr: Optional[N] = None, bind: Optional[Callable[..., Any]] = None, seg: int = 10,
           pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Сегментная шкала 0..1; `bind` — колбэк значения."""
    def spn(self, *, pr: Optional[N] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
            h: Optional[float] = None) -> N:
        """Добавляет вращающийся индикатор загрузки."""
    def stb(self, txt: str = "", *, pr: Optional[N] = None, bind: Optional[Callable[..., Any]] = None,
            pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Строка состояния; `bind` — колбэк текста."""
    def bdg(self, txt: str = "", *, pr: Optional[N] = None, dot: bool = False,
            bind: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
            h: Optional[float] = None) -> N:
        """Значок-счётчик; `dot=True` — точка без текста, `bind` — текст."""
    def rat(self, vl: int = 0, *, pr: Optional[N] = None, max: int = 5, ch: Optional[Callable[..., Any]] = None,
            sig: Any = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
            h: Optional[float] = None) -> N:
        """Оценка звёздами; `ch(value)` при клике."""
    def pgn(self, total: int, *, pr: Optional[N] = None, page: int = 0, ch: Optional[Callable[..., Any]] = None,
            pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Постраничная навигация; `ch(page)` при смене страницы."""
    def crumb(self, items: Sequence[str], *, pr: Optional[N] = None, ch: Optional[Callable[..., Any]] = None,
              pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Хлебные крошки; клик обрезает путь, `ch(i)`."""
    def dd(self, options: Sequence[str], *, pr: Optional[N] = None, sel: int = 0,
           ch: Optional[Callable[..., Any]] = None, sig: Any = None, pd: float = 0.0, gp: float = 0.0,
           w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет выпадающий список; `ch(index)` при выборе."""
    def lst(self, items: Sequence[str], *, pr: Optional[N] = None, sel: Union[int, Sequence[int], None] = None,
            multi: bool = False, ch: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет список; `ch` — индекс, при `multi` — список индексов."""
    def tbl(self, columns: Sequence[str], rows: Sequence[Sequence[str]], *, pr: Optional[N] = None,
            ch: Optional[Callable[..., Any]] = None, bg: Any = None, hl: float = 0.0, vl: float = 0.0,
            pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет таблицу; `hl`/`vl` — толщина разделителей строк и столбцов."""
    def tre(self, items: Sequence[Union[Tuple[int, str, bool], Mapping[str, Any]]], *, pr: Optional[N] = None,
            cols: Optional[Sequence[str]] = None, widths: Optional[Sequence[float]] = None, multi: bool = False,
            bind: Optional[Callable[..., Any]] = None, ch: Optional[Callable[..., Any]] = None,
            clk: Optional[Callable[..., Any]] = None, dbl: Optional[Callable[..., Any]] = None,
            on_open: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
            h: Optional[float] = None) -> N:
        """Дерево; строка — кортеж `(глубина, текст, лист)` либо словарь."""
    def pg(self, rows: Sequence[Tuple[Any, Any]], *, pr: Optional[N] = None,
           bind: Optional[Callable[..., Any]] = None, ch: Optional[Callable[..., Any]] = None, pd: float = 0.0,
           gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Таблица свойств «ключ — значение»; `bind` — колбэк списка пар."""
    def cal(self, year: int = 2026, month: int = 7, day: int = 1, *, pr: Optional[N] = None,
            ch: Optional[Callable[..., Any]] = None, sig: Any = None, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Календарь; `ch(год, месяц, день)` при выборе даты."""
    def tm(self, hour: int = 12, minute: int = 0, *, pr: Optional[N] = None, ch: Optional[Callable[..., Any]] = None,
           sig: Any = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
           h: Optional[float] = None) -> N:
        """Выбор времени; клики по половинам, `ch(часы, минуты)`."""
    def clr(self, hue: float = 0.58, sat: float = 0.75, val: float = 0.96, *, pr: Optional[N] = None,
            ch: Optional[Callable[..., Any]] = None, sig: Any = None, pd: float = 0.0, gp: float = 0.0,
            w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Палитра цвета (HSV); `ch("#RRGGBB")` при выборе."""
    def cht(self, data: Sequence[float], *, pr: Optional[N] = None, bind: Optional[Callable[..., Any]] = None,
            pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Столбчатая диаграмма; `bind` — колбэк списка значений."""
    def mb(self, menus: Sequence[Tuple[str, Sequence[str]]], *, pr: Optional[N] = None,
           on_select: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0,
           w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Строка меню; `on_select(menu, item)` при выборе пункта."""
    def img(self, src: str = "", *, pr: Optional[N] = None, src_bind: Optional[Callable[..., Any]] = None,
            data: Optional[bytes] = None, fit: str = "contain", fit_bind: Optional[Callable[..., Any]] = None,
            pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Добавляет изображение; `src_bind` — путь, `data` — PNG/JPEG из памяти."""
    def cv(self, shapes: Sequence[Tuple[Any, ...]] = ..., *, pr: Optional[N] = None,
           bind: Optional[Callable[..., Any]] = None, ch: Optional[Callable[..., Any]] = None,
           down: Optional[Callable[..., Any]] = None, move: Optional[Callable[..., Any]] = ...,
           up: Optional[Callable[..., Any]] = None, dbl: Optional[Callable[..., Any]] = None, scroll: bool = False,
           pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None, h: Optional[float] = None) -> N:
        """Область рисования; фигуры — `(вид, [args], цвет, текст)`.
        Виды: `rect` `[x,y,w,h,rad,stroke]`, `circle` `[cx,cy,r,stroke]`,
        `line` `[x1,y1,x2,y2,w]`, `text` `[x,y,w,h]`,
        `poly` `[x1,y1,...,xn,yn,stroke]`."""
    def term(self, lines: Sequence[str] = ..., *, pr: Optional[N] = None, prompt: str = "$",
             on: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
             h: Optional[float] = None) -> N:
        """Терминал; `on(cmd)` при Enter, вывод — возврат строки из `on`."""
    def drop(self, txt: str = "Перетащите файлы сюда", *, pr: Optional[N] = None,
             on: Optional[Callable[..., Any]] = None, pd: float = 0.0, gp: float = 0.0, w: Optional[float] = None,
             h: Optional[float] = None) -> N:
        """Зона приёма файлов; `on(paths)` при перетаскивании из проводника."""
    def val(self, n: N, value: float) -> None:
        """Задаёт числовое состояние виджета; колбэк не вызывается."""
    def chk(self, n: N, on: bool = True) -> None:
        """Состояние флажка, переключателя, тумблера или радиокнопки."""
    def dd_sel(self, n: N, index: int) -> None:
        """Выбранный пункт выпадающего списка, вкладки или списка."""
    def cal_set(self, n: N, y: float, m: float, d: float) -> None:
        """Дата календаря."""
    def tm_set(self, n: N, h: float, m: float) -> None:
        """Время часов и минут."""
    def clr_set(self, n: N, hue: float, sat: float, val: float) -> None:
        """Цвет палитры в HSV, каждый канал 0..1."""
    def rsl_set(self, n: N, lo: float, hi: float) -> None:
        """Границы двойного ползунка, 0..1."""
    def txt(self, n: N, text: str) -> None:
        """Текст поля ввода; каретка встаёт в конец, выделение снимается."""
    def items(self, n: N, items: Sequence[str]) -> None:
        """Пункты выпадающего списка или списка; выбор сбрасывается."""
    def spl_ratio(self, n: N, ratio: float) -> None:
        """Задаёт долю первой области разделителя: `spl_ratio(node, 0.3)`."""
    def ghost(self, node: N, on: bool = True) -> None:
        """Делает узел прозрачным для мыши; клики проходят насквозь."""
    def front(self, node: N, on: bool = True) -> None:
        """Поднимает узел поверх соседей при нажатии внутри него."""
    def enable(self, n: N, on: bool = True) -> None:
        """Доступность узла и всего его поддерева."""
    def pwd(self, n: N, on: bool = True) -> None:
        """Показывает содержимое поля точками, не меняя значения."""
    def crumb_set(self, node: N, items: Sequence[str]) -> None:
        """Задаёт элементы хлебных крошек узла."""
    def term_clear(self, node: N) -> None:
        """Очищает вывод терминала."""
    def tv(self, n: N) -> str:
        """Возвращает текущий текст поля ввода."""
    def swv(self, n: N) -> bool:
        """Возвращает состояние переключателя."""
    def rdv(self, n: N) -> bool:
        """Возвращает состояние радиокнопки."""
    def tglv(self, n: N) -> bool:
        """Возвращает состояние кнопки-переключателя."""
    def lstv(self, n: N) -> int:
        """Возвращает выбранный пункт списка или -1."""
    def crumb_get(self, node: N) -> List[str]:
        """Возвращает элементы хлебных крошек узла."""
    def tre_opened(self, node: N) -> List[int]:
        """Индексы раскрытых строк дерева."""
    def focus(self, node: Optional[N] = None, *, txt: Optional[str] = None, sel: bool = True) -> None:
        """Ставит фокус на узел; `txt` подменяет текст, `sel` выделяет всё."""
    def hotkey(self, spec: str, f: Callable[[], Any]) -> None:
        """Регистрирует горячую клавишу окна; молчит при фокусе в поле ввода."""
    def keys(self, node: N, f: Callable[[int], Any]) -> None:
        """Реакция поля ввода на клавиши: `cb(1)` — Enter, `cb(0)` — Esc."""
    def tre_cell(self, node: N, index: int, col: int) -> Tuple[float, float, float, float]:
        """Прямоугольник ячейки в координатах окна: `(x, y, w, h)`."""
    def tip(self, n: N, text: str) -> None:
        """Задаёт всплывающую подсказку узла."""
    def tip_style(self, *, radius: float = 6.0, pad_x: float = 12.0, pad_y: float = 5.0) -> None:
        """Оформление тултипа: радиус и отступы вокруг текста."""
    def brdln(self, node: N, col: Optional[str] = None, *, w: float = 1.0) -> None:
        """Обводка узла: цвет `#RRGGBB`/`#RRGGBBAA` и толщина в пикселях."""
    def acc_open(self, node: N, on: bool = True) -> None:
        """Открывает или сворачивает секцию аккордеона из кода."""
    def cv_region(self, node: N, x1: float, y1: float, x2: float, y2: float) -> None:
        """Задаёт виртуальную область прокрутки области рисования."""
    def cv_view(self, node: N, x: float, y: float) -> None:
        """Прокручивает область рисования к точке содержимого."""
    def pop_at(self, node: N, x: float, y: float, w: float = 0.0, h: float = 0.0) -> None:
        """Показывает слой в прямоугольнике окна; ноль — оставить размер."""
    def pop_off(self, node: N) -> None:
        """Прячет слой; `on_close` при этом не вызывается."""
    def cols(self, node: N, *, widths: Optional[Sequence[float]] = None, mins: Optional[Sequence[float]] = None,
             head: Optional[float] = None, resize: Optional[bool] = None,
             on_cols: Optional[Callable[[List[float]], Any]] = None) -> None:
        """Ширины, минимумы и высота шапки таблицы или дерева."""
    def lst_sel(self, node: N, indexes: Sequence[int]) -> None:
        """Задаёт выделенные пункты списка; первый становится текущим."""
    def tre_sel(self, node: N, indexes: Sequence[int]) -> None:
        """Задаёт выделенные строки дерева; первая становится текущей."""
    def tre_see(self, node: N, index: int) -> None:
        """Прокручивает дерево к строке, раскрывая её предков."""
    def tre_open(self, node: N, indexes: Sequence[int] = ..., *, on: bool = True) -> None:
        """Раскрывает или сворачивает поддеревья; пустой список — всё дерево."""
    def tbl_see(self, node: N, row: int) -> None:
        """Прокручивает таблицу к строке."""
    def wheel(self, node: N, f: Callable[[float, float, float], Any]) -> None:
        """Колесо над узлом: `f(дельта, x, y)`; узел перехватывает событие."""
    def rmb(self, node: N, f: Callable[[float, float], Any]) -> None:
        """Правый клик по узлу; `f(x, y)` в координатах окна."""
    def menu(self, items: Sequence[str], *, on_select: Optional[Callable[[int], Any]] = None) -> None:
        """Задаёт контекстное меню окна; `on_select(index)` по ПКМ."""
    def popup(self, items: Sequence[str], x: float, y: float, *,
              on_select: Optional[Callable[[int], Any]] = None) -> None:
        """Открывает меню в точке окна; пустой список закрывает его."""
    def dlg(self) -> Dlg:
        """Возвращает контроллер диалогов."""
    def nt(self) -> Note:
        """Уведомления: `nt(title, text)` и `nt.snack(text)`."""
    def fx(self) -> Fx:
        """Возвращает контроллер анимаций."""
    def thm(self) -> Thm:
        """Смена темы из кода: `thm("drk")`."""
    def fnt(self) -> Fnt:
        """Живая смена шрифта: `fnt(family, size)`."""
    def clip(self) -> Clip:
        """Возвращает контроллер буфера обмена."""
    def file(self) -> Fl:
        """Возвращает контроллер файловых диалогов."""
