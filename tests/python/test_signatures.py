"""Every public method publishes the text signature of its declaration, and
the declarations publish the module's documented signatures unchanged."""
import _orvy
import pytest

PUBLISHED = {
    'Clip.get': '($self)',
    'Clip.set': '($self, text)',
    'Ctx.__enter__': '($self)',
    'Ctx.__exit__': '($self, _t=None, _v=None, _tb=None)',
    'Fl.dir': '($self, *, title="", on=None)',
    'Fl.open': '($self, *, title="", patterns=..., on=None)',
    'Fl.save': '($self, *, title="", name="", patterns=..., on=None)',
    'Dlg.alert': '($self, message, *, title="\\u0412\\u043d\\u0438\\u043c\\u0430\\u043d\\u0438\\u0435", ok="\\u041e\\u043a", on=None)',
    'Dlg.msg': '($self, title, message, *, ok="\\u041e\\u043a", on=None)',
    'Note.snack': '($self, text, *, secs=4.0, action="", corner="", on=None)',
    'S.gt': '($self)',
    'S.st': '($self, vl)',
    'W.__enter__': '($self)',
    'W.__exit__': '($self, _t=None, _v=None, _tb=None)',
    'W.acc': '($self, title="", *, pr=None, open=False, grp=0, ch=None, rad=10.0, pd=8.0, gp=8.0, w=None, h=None)',
    'W.acc_open': '($self, node, on=True)',
    'W.after': '($self, ms, f)',
    'W.align': '($self, n, *, justify="st", cross="str")',
    'W.bdg': '($self, txt="", *, pr=None, dot=False, bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.bindb': '($self, node, f)',
    'W.bindl': '($self, node, f)',
    'W.bindp': '($self, node, f)',
    'W.bindt': '($self, node, f)',
    'W.bindv': '($self, node, f)',
    'W.bindz': '($self, node, f)',
    'W.blur': '($self, sig)',
    'W.blur_mode': '($self, sig)',
    'W.brdln': '($self, node, col=None, *, w=1.0)',
    'W.bt': '($self, lb="", *, pr=None, rad=10.0, icon=None, tip=None, toast=None, pd=0.0, gp=0.0, w=None, h=None, clk=None, elev=0.0)',
    'W.build': '($self, f)',
    'W.bx': '($self, rad=12.0, *, pr=None, ax="v", pd=0.0, gp=0.0, w=None, h=None, elev=0.0)',
    'W.cal': '($self, year=2026, month=7, day=1, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.cal_set': '($self, n, y, m, d)',
    'W.cancel': '($self, tid)',
    'W.ch': '($self, lb="", *, pr=None, chk=False, clk=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.chk': '($self, n, on=True)',
    'W.cht': '($self, data, *, pr=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.clip': '($self)',
    'W.close': '($self)',
    'W.clr': '($self, hue=0.58, sat=0.75, val=0.96, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.clr_set': '($self, n, hue, sat, val)',
    'W.cls': '($self, n, name)',
    'W.cols': '($self, node, *, widths=None, mins=None, head=None, resize=None, on_cols=None)',
    'W.crumb': '($self, items, *, pr=None, ch=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.crumb_get': '($self, node)',
    'W.crumb_set': '($self, node, items)',
    'W.css': '($self, text, *, replace=False)',
    'W.css_file': '($self, path, *, replace=False)',
    'W.css_hot': '($self, path)',
    'W.cv': '($self, shapes=..., *, pr=None, bind=None, ch=None, down=None, move=..., up=None, dbl=None, scroll=False, pd=0.0, gp=0.0, w=None, h=None)',
    'W.cv_region': '($self, node, x1, y1, x2, y2)',
    'W.cv_view': '($self, node, x, y)',
    'W.dd': '($self, options, *, pr=None, sel=0, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.dd_sel': '($self, n, index)',
    'W.dep': '($self, n, z=0)',
    'W.dl': '($self, vl=0.5, *, pr=None, lb="", ch=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.dlg': '($self)',
    'W.dock': '($self, ttl="", *, pr=None, side="l", size=260.0, open=True, ax="v", pd=10.0, gp=8.0)',
    'W.drag_smooth': '($self, sig)',
    'W.drop': '($self, txt="\\u041f\\u0435\\u0440\\u0435\\u0442\\u0430\\u0449\\u0438\\u0442\\u0435 \\u0444\\u0430\\u0439\\u043b\\u044b \\u0441\\u044e\\u0434\\u0430", *, pr=None, on=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.enable': '($self, n, on=True)',
    'W.every': '($self, ms, f)',
    'W.file': '($self)',
    'W.fnt': '($self)',
    'W.font': '($self, family="Segoe UI", size=20.0)',
    'W.focus': '($self, node=None, *, txt=None, sel=True)',
    'W.fr': '($self, rad=12.0, *, pr=None, ax="v", pd=0.0, gp=0.0, w=None, h=None, elev=0.0)',
    'W.frame': '($self, *, icon=None, cap=None, cap_txt=None, brd=None, dark=None)',
    'W.frames': '(path)',
    'W.front': '($self, node, on=True)',
    'W.fx': '($self)',
    'W.gg': '($self, value=0.0, *, pr=None, lb="", bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.ghost': '($self, node, on=True)',
    'W.go': '($self)',
    'W.gr': '($self, n, r=0, c=0, *, rs=1, cs=1)',
    'W.grow': '($self, n, g)',
    'W.grp': '($self, title="", *, pr=None, rad=12.0, ax="v", pd=12.0, gp=8.0, w=None, h=None)',
    'W.hotkey': '($self, spec, f)',
    'W.img': '($self, src="", *, pr=None, src_bind=None, data=None, fit="contain", fit_bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.items': '($self, n, items)',
    'W.keys': '($self, node, f)',
    'W.lb': '($self, txt="", *, pr=None, bind=None, icon=None, pd=0.0, gp=0.0, w=None, h=None, wrap=False)',
    'W.lim': '($self, n, *, min_w=None, min_h=None, max_w=None, max_h=None)',
    'W.lnk': '($self, lb="", *, pr=None, clk=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.lst': '($self, items, *, pr=None, sel=None, multi=False, ch=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.lst_sel': '($self, node, indexes)',
    'W.lstv': '($self, n)',
    'W.mb': '($self, menus, *, pr=None, on_select=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.measure_text': '(text, size=15.0, family="Segoe UI")',
    'W.menu': '($self, items, *, on_select=None)',
    'W.move': '($self, x, y)',
    'W.mt': '($self, vl=0.0, *, pr=None, bind=None, seg=10, pd=0.0, gp=0.0, w=None, h=None)',
    'W.nt': '($self)',
    'W.on_error': '($self, f)',
    'W.on_resize': '($self, f)',
    'W.pg': '($self, rows, *, pr=None, bind=None, ch=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.pgn': '($self, total, *, pr=None, page=0, ch=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.pin': '($self, n, *, l=None, t=None, r=None, b=None)',
    'W.pk': '($self, n, side="t", *, fill=None, exp=False)',
    'W.pl': '($self, n, *, x=None, y=None, r=None, b=None, w=None, h=None)',
    'W.pop': '($self, *, w=240.0, h=40.0, on_close=None)',
    'W.pop_at': '($self, node, x, y, w=0.0, h=0.0)',
    'W.pop_off': '($self, node)',
    'W.popup': '($self, items, x, y, *, on_select=None)',
    'W.post': '($self)',
    'W.pr': '($self, vl=0.0, *, pr=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.push': '($self, title="", text="", *, secs=3.0, w=200, h=150, x=None, y=None, bg="#202632", fg="#eef3ff", font=None, size=16.0, rad=8.0, pd=10.0, gp=6.0, click=True, on_close=None)',
    'W.pwd': '($self, n, on=True)',
    'W.rat': '($self, vl=0, *, pr=None, max=5, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.rd': '($self, lb="", *, pr=None, grp=0, on=False, clk=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.rdv': '($self, n)',
    'W.rects': '($self)',
    'W.rmb': '($self, node, f)',
    'W.rsl': '($self, lo=0.25, hi=0.75, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.rsl_set': '($self, n, lo, hi)',
    'W.rt': '($self)',
    'W.sbt': '($self, lb, opts, *, pr=None, clk=None, ch=None, rad=10.0, pd=0.0, gp=0.0, w=None, h=None)',
    'W.scr': '($self, *, pr=None, pd=8.0, gp=8.0, w=None, h=None)',
    'W.screen': '()',
    'W.sep': '($self, *, pr=None, vertical=False, pd=0.0, gp=0.0, w=None, h=None)',
    'W.show': '($self, node=None, on=True)',
    'W.size': '($self)',
    'W.sl': '($self, vl=0.5, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.spin': '($self, value=0.0, *, pr=None, min=0.0, max=100.0, step=1.0, ch=None, pd=0.0, gp=6.0, w=None, h=None)',
    'W.spl': '($self, *, pr=None, ratio=0.5, vertical=True, w=None, h=None)',
    'W.spl_ratio': '($self, n, ratio)',
    'W.spn': '($self, *, pr=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.stb': '($self, txt="", *, pr=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.stk': '($self, *, pr=None, page=0, bind=None, w=None, h=None)',
    'W.subwin': '($self, ttl="", w=520, h=420, *, thm="drk", modal=False, center=None, frameless=False, topmost=False, resizable=True, minbox=False, maxbox=False, closebox=True, x=None, y=None, glass=False, tint=0.0, blur=False, insp=False, on_close=None)',
    'W.sw': '($self, lb="", *, pr=None, on=False, clk=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.swv': '($self, n)',
    'W.ta': '($self, txt="", *, pr=None, sig=None, ph="", pd=0.0, gp=0.0, w=None, h=None)',
    'W.tab': '($self, labels, *, pr=None, sel=0, ch=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.tbl': '($self, columns, rows, *, pr=None, ch=None, bg=None, hl=0.0, vl=0.0, pd=0.0, gp=0.0, w=None, h=None)',
    'W.tbl_see': '($self, node, row)',
    'W.term': '($self, lines=..., *, pr=None, prompt="$", on=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.term_clear': '($self, node)',
    'W.tgl': '($self, lb="", *, pr=None, icon=None, tip=None, on=False, clk=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.tglv': '($self, n)',
    'W.thm': '($self)',
    'W.tint': '($self, sig)',
    'W.tip': '($self, n, text)',
    'W.tip_style': '($self, *, radius=6.0, pad_x=12.0, pad_y=5.0)',
    'W.tm': '($self, hour=12, minute=0, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.tm_set': '($self, n, h, m)',
    'W.tre': '($self, items, *, pr=None, cols=None, widths=None, multi=False, bind=None, ch=None, clk=None, dbl=None, on_open=None, pd=0.0, gp=0.0, w=None, h=None)',
    'W.tre_cell': '($self, node, index, col)',
    'W.tre_open': '($self, node, indexes=..., *, on=True)',
    'W.tre_opened': '($self, node)',
    'W.tre_see': '($self, node, index)',
    'W.tre_sel': '($self, node, indexes)',
    'W.tv': '($self, n)',
    'W.tx': '($self, txt="", *, pr=None, sig=None, ph="", pd=0.0, gp=0.0, w=None, h=None)',
    'W.txt': '($self, n, text)',
    'W.val': '($self, n, value)',
    'W.wheel': '($self, node, f)',
    'sgnl': '(vl)',
}


def receivers():
    w = _orvy.W()
    found = {"W": w, "S": _orvy.S(0), "Ctx": w.bx(), "Fx": w.fx(), "Fnt": w.fnt(), "Post": w.post(),
              "Rct": w.rects(), "Dlg": w.dlg(), "Note": w.nt(), "Thm": w.thm(), "Clip": w.clip()}
    if hasattr(w, "file"):
        found["Fl"] = w.file()
    return w, found


def public_methods():
    _, found = receivers()
    for owner, receiver in found.items():
        for name in dir(type(receiver)):
            if name.startswith("_") and name not in ("__enter__", "__exit__"):
                continue
            yield f"{owner}.{name}", getattr(receiver, name)
    yield "sgnl", _orvy.sgnl


@pytest.mark.parametrize("qualified", sorted(PUBLISHED))
def test_published_signatures_are_unchanged(qualified):
    methods = dict(public_methods())
    assert methods[qualified].__text_signature__ == PUBLISHED[qualified]


def test_every_public_method_publishes_its_row():
    w, _ = receivers()
    rows = dict(w._rows())
    for qualified, method in public_methods():
        assert qualified in rows, f"{qualified} is not declared by a row"
        assert method.__text_signature__ == rows[qualified], qualified


def test_constructors_publish_their_rows():
    rows = dict(_orvy.W()._rows())
    assert _orvy.W.__text_signature__ == rows["W"]
    assert _orvy.S.__text_signature__ == rows["S"] == "(vl)"
    assert rows["Rct.__call__"] == "($self, node)"
    assert rows["Fx.__call__"] == '($self, sig, to, *, frm=None, dur=0.3, ease="out")'
